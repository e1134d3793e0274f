#pragma once

// Files as the service's operators and other programs see them: their bytes, and the device
// database opened by another program, as the sqlite3 shell would open it.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace testing_support {

// The bytes of the file at `path`; "" when it cannot be read.
inline std::string fileBytes(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Another program's connection to the database at `path`.
class OtherConnection {
  public:
    explicit OtherConnection(const std::filesystem::path& path) {
        EXPECT_EQ(sqlite3_open(path.c_str(), &connection_), SQLITE_OK);
        sqlite3_busy_timeout(connection_, 5000);
    }
    ~OtherConnection() { sqlite3_close(connection_); }
    OtherConnection(const OtherConnection&) = delete;
    OtherConnection& operator=(const OtherConnection&) = delete;

    // The first value of the first row `sql` yields ("" when none).
    std::string value(const std::string& sql) {
        std::string first;
        const auto keep = [](void* out, int, char** values, char**) {
            *static_cast<std::string*>(out) = values[0] ? values[0] : "";
            return 0;
        };
        EXPECT_EQ(sqlite3_exec(connection_, sql.c_str(), keep, &first, nullptr), SQLITE_OK)
            << sql << ": " << sqlite3_errmsg(connection_);
        return first;
    }

  private:
    sqlite3* connection_ = nullptr;
};

}  // namespace testing_support
