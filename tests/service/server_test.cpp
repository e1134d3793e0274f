// The lookup service's answers end to end: each test starts its own server on a free loopback
// port with a database of its own (the sample devices) and talks to it over real HTTP.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <thread>

#include "service/lookup_server.h"
#include "tests/service/http_client.h"
#include "tests/service/running_server.h"

namespace quelmarn::service {
namespace {

using std::chrono::year;
using testing_support::lookUp;

class ServerTest : public ::testing::Test {
  protected:
    testing_support::RunningServer running_;
    const int port_ = running_.port;
};

TEST_F(ServerTest, SerialIsFoundOnlyWhenExactAndItsDeviceIsEscaped) {
    const std::string serial = " A&b=1 %41+x ";
    running_.store.saveAll(std::vector{Device{serial, "型号", "X1", year(2012) / 6 / 11,
                                              year(2099) / 6 / 10, "<img src=x onerror=y>"}});
    const auto found = lookUp(port_, "sn=" + serial);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->status, 200);
    EXPECT_FALSE(found->bodyHas("<img"));
    EXPECT_TRUE(found->bodyHas("&lt;img src=x onerror=y&gt;"));
    for (const std::string near : {"A&b=1 %41+x", " A&b=1 AA+x ", " A&b=1 %41 x "}) {
        const auto missed = lookUp(port_, "sn=" + near);
        ASSERT_TRUE(missed);
        EXPECT_EQ(missed->status, 404) << near;
    }
}

TEST_F(ServerTest, FailingDatabaseAnswersAnErrorPageWhileOtherPagesWork) {
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(running_.databasePath.c_str(), &other), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(other, "DROP TABLE devices", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(other);
    const auto failed = lookUp(port_, "sn=QX2K93HT7LMP");
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->status, 500);
    EXPECT_TRUE(failed->bodyHas("服务内部错误"));
    const auto help =
        testing_support::exchange(port_, testing_support::requestText(port_, "GET", "/kb/HT1349"));
    ASSERT_TRUE(help);
    EXPECT_EQ(help->status, 200);
}

TEST(DatabaseFileTest, FileDeletedOrReplacedUnderTheServerIsNoLongerServed) {
    const std::pair<const char*, const char*> cases[] = {{"deleted", "已被删除"},
                                                         {"replaced", "已被另一个文件替换"}};
    for (const auto& [change, reason] : cases) {
        SCOPED_TRACE(change);
        testing_support::RunningServer running;
        const auto before = lookUp(running.port, "sn=QX2K93HT7LMP");
        ASSERT_TRUE(before);
        EXPECT_EQ(before->status, 200);
        std::filesystem::remove(running.databasePath);
        if (std::string_view(change) == "replaced")
            DeviceStore another(running.databasePath);  // as a later import would make it
        std::this_thread::sleep_for(std::chrono::milliseconds(1100));
        const auto after = lookUp(running.port, "sn=QX2K93HT7LMP");
        ASSERT_TRUE(after);
        EXPECT_EQ(after->status, 500);
        running.stop();
        EXPECT_TRUE(std::ranges::any_of(running.logLines(), [reason](const std::string& line) {
            return line.find(reason) != std::string::npos;
        }));
    }
}

TEST_F(ServerTest, TakenPortOrUnusableAddressIsRefused) {
    LookupServer second(running_.store, [](std::string_view) {});
    EXPECT_FALSE(second.bind("127.0.0.1", port_));
    EXPECT_FALSE(second.bind("not an address", 0));
}

}  // namespace
}  // namespace quelmarn::service
