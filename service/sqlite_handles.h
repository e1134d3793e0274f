#pragma once

#include <sqlite3.h>

#include <memory>
#include <string>
#include <string_view>

#include "service/device_registry.h"

namespace quelmarn::service {

struct ConnectionCloser {
    void operator()(sqlite3* connection) const { sqlite3_close_v2(connection); }
};
struct StatementFinalizer {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};

using Connection = std::unique_ptr<sqlite3, ConnectionCloser>;
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

// Resets a shared prepared statement when its use ends, however it ends, so that the next user
// finds it ready and no read transaction is left open.
class StatementUse {
  public:
    explicit StatementUse(sqlite3_stmt* statement) : statement_(statement) {}
    ~StatementUse() { sqlite3_reset(statement_); }
    StatementUse(const StatementUse&) = delete;
    StatementUse& operator=(const StatementUse&) = delete;

    sqlite3_stmt* get() const { return statement_; }

  private:
    sqlite3_stmt* statement_;
};

enum class OpenMode {
    kCreate,    // read and write, making the file when it is absent
    kExisting,  // read and write a file that must be there
    kReadOnly,  // read a file that must be there
};

// Opens the database file at `path` as `mode` says, with extended result codes. The empty path
// is a private temporary database on disk, removed when it is closed. Throws StoreError.
Connection openConnection(const std::string& path, OpenMode mode = OpenMode::kCreate);

// Compiles `sql` on `connection`. Throws StoreError.
Statement prepare(sqlite3* connection, std::string_view sql);

// Runs one or more statements that return no rows. Throws StoreError.
void execute(sqlite3* connection, const char* sql);

// Throws StoreError naming `action` when `resultCode` is not SQLITE_OK or SQLITE_DONE.
void check(sqlite3* connection, int resultCode, std::string_view action);

// Binds UTF-8 `text` to the 1-based `index`, copied so that `text` may go away before the step.
void bindText(sqlite3_stmt* statement, int index, std::string_view text);

// Column `index` of the current row as bytes; the empty text for NULL.
std::string columnText(sqlite3_stmt* statement, int index);

}  // namespace quelmarn::service
