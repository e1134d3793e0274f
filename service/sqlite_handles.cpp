#include "service/sqlite_handles.h"

#include "service/sqlite_no_wait.h"

namespace quelmarn::service {

namespace {

[[noreturn]] void fail(sqlite3* connection, std::string_view action) {
    std::string message(action);
    message += "：";
    message += connection != nullptr ? sqlite3_errmsg(connection) : "out of memory";
    throw StoreError(message);
}

}  // namespace

Connection openConnection(const std::string& path, OpenMode mode) {
    sqlite3* raw = nullptr;
    const int access = mode == OpenMode::kReadOnly ? SQLITE_OPEN_READONLY
                       : mode == OpenMode::kCreate ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE
                                                   : SQLITE_OPEN_READWRITE;
    const int flags = access | SQLITE_OPEN_NOMUTEX;
    Connection connection(nullptr);
    // The system's VFS, but one that a thread may ask not to wait for locks (NoWaitScope).
    const int result = sqlite3_open_v2(path.c_str(), &raw, flags, noWaitVfsName());
    // sqlite3_open_v2 hands back a handle even on failure, which carries the reason and must be
    // closed all the same.
    connection.reset(raw);
    if (result != SQLITE_OK)
        fail(raw, "无法打开数据库文件");
    sqlite3_extended_result_codes(raw, 1);
    return connection;
}

Statement prepare(sqlite3* connection, std::string_view sql) {
    sqlite3_stmt* raw = nullptr;
    const int result = sqlite3_prepare_v3(connection, sql.data(), static_cast<int>(sql.size()),
                                          SQLITE_PREPARE_PERSISTENT, &raw, nullptr);
    Statement statement(raw);
    if (result != SQLITE_OK)
        fail(connection, "无法准备数据库语句");
    return statement;
}

void execute(sqlite3* connection, const char* sql) {
    check(connection, sqlite3_exec(connection, sql, nullptr, nullptr, nullptr),
          "数据库语句执行失败");
}

void check(sqlite3* connection, int resultCode, std::string_view action) {
    if (resultCode != SQLITE_OK && resultCode != SQLITE_DONE)
        fail(connection, action);
}

void bindText(sqlite3_stmt* statement, int index, std::string_view text) {
    const int result = sqlite3_bind_text64(statement, index, text.data(), text.size(),
                                           SQLITE_TRANSIENT, SQLITE_UTF8);
    check(sqlite3_db_handle(statement), result, "无法绑定参数");
}

std::string columnText(sqlite3_stmt* statement, int index) {
    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, index));
    const int size = sqlite3_column_bytes(statement, index);
    return bytes == nullptr ? std::string() : std::string(bytes, static_cast<std::size_t>(size));
}

}  // namespace quelmarn::service
