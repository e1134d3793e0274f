#include "service/device_store.h"

#include <filesystem>
#include <system_error>

#include "service/calendar_date.h"
#include "service/sample_devices.h"

namespace quelmarn::service {

namespace {

// kCreateSchema stamps this into PRAGMA user_version.
constexpr int kSchemaVersion = 1;

// Dates are ISO text so that the file stays readable with the sqlite3 shell; date(x) IS x holds
// only for a real calendar day written as YYYY-MM-DD.
constexpr const char* kCreateSchema = R"sql(
CREATE TABLE devices (
    serial           TEXT PRIMARY KEY NOT NULL CHECK (serial <> ''),
    model            TEXT NOT NULL,
    model_identifier TEXT NOT NULL,
    manufactured_on  TEXT NOT NULL CHECK (date(manufactured_on) IS manufactured_on),
    warranty_ends_on TEXT NOT NULL CHECK (date(warranty_ends_on) IS warranty_ends_on),
    notes            TEXT NOT NULL DEFAULT ''
) WITHOUT ROWID;
PRAGMA user_version = 1;
)sql";

constexpr std::string_view kFind =
    "SELECT serial, model, model_identifier, manufactured_on, warranty_ends_on, notes "
    "FROM devices WHERE serial = ?1";

constexpr std::string_view kSave =
    "INSERT OR REPLACE INTO devices "
    "(serial, model, model_identifier, manufactured_on, warranty_ends_on, notes) "
    "VALUES (?1, ?2, ?3, ?4, ?5, ?6)";

void createParentDirectories(const std::string& path) {
    const auto parent = std::filesystem::path(path).parent_path();
    if (parent.empty())
        return;
    std::error_code error;
    std::filesystem::create_directories(parent, error);
    if (error)
        throw StoreError("无法创建目录 " + parent.string() + "：" + error.message());
}

int schemaVersion(sqlite3* connection) {
    const auto statement = prepare(connection, "PRAGMA user_version");
    const int result = sqlite3_step(statement.get());
    if (result != SQLITE_ROW)
        check(connection, result, "无法读取数据库版本");
    return sqlite3_column_int(statement.get(), 0);
}

std::chrono::year_month_day columnDate(sqlite3_stmt* statement, int index) {
    const auto date = parseIsoDate(columnText(statement, index));
    if (!date)
        throw StoreError("数据库中的日期无效");
    return *date;
}

Device readDevice(sqlite3_stmt* statement) {
    return Device{columnText(statement, 0), columnText(statement, 1), columnText(statement, 2),
                  columnDate(statement, 3), columnDate(statement, 4), columnText(statement, 5)};
}

void saveOne(sqlite3_stmt* save, const Device& device) {
    const StatementUse use(save);
    bindText(save, 1, device.serial);
    bindText(save, 2, device.model);
    bindText(save, 3, device.modelIdentifier);
    bindText(save, 4, formatIsoDate(device.manufacturedOn));
    bindText(save, 5, formatIsoDate(device.warrantyEndsOn));
    bindText(save, 6, device.notes);
    check(sqlite3_db_handle(save), sqlite3_step(save), "无法保存设备 " + device.serial);
}

// Runs `work` inside BEGIN IMMEDIATE ... COMMIT, rolling back when it throws.
template <typename Work>
void inWriteTransaction(sqlite3* connection, Work&& work) {
    execute(connection, "BEGIN IMMEDIATE");
    try {
        work();
        execute(connection, "COMMIT");
    } catch (...) {
        sqlite3_exec(connection, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

}  // namespace

DeviceStore::DeviceStore(const std::string& path) {
    createParentDirectories(path);
    connection_ = openConnection(path);
    sqlite3* connection = connection_.get();
    // A running service and an import may share the file; let either wait for the other's write
    // rather than fail at once.
    sqlite3_busy_timeout(connection, 5000);
    // WAL lets lookups go on while an import writes.
    execute(connection, "PRAGMA journal_mode = WAL");
    if (schemaVersion(connection) == 0) {
        inWriteTransaction(connection, [&] {
            // Another process may have created the schema while this one waited for the lock.
            if (schemaVersion(connection) != 0)
                return;
            execute(connection, kCreateSchema);
            const auto save = prepare(connection, kSave);
            for (const Device& device : sampleDevices())
                saveOne(save.get(), device);
        });
    }
    if (schemaVersion(connection) != kSchemaVersion) {
        throw StoreError("数据库由较新版本的服务创建，无法使用");
    }
    find_ = prepare(connection, kFind);
    save_ = prepare(connection, kSave);
}

std::optional<Device> DeviceStore::find(std::string_view serial) {
    const std::lock_guard lock(mutex_);
    const StatementUse use(find_.get());
    bindText(use.get(), 1, serial);
    const int result = sqlite3_step(use.get());
    if (result == SQLITE_ROW)
        return readDevice(use.get());
    check(connection_.get(), result, "查询设备失败");
    return std::nullopt;
}

void DeviceStore::saveAll(std::span<const Device> devices) {
    const std::lock_guard lock(mutex_);
    inWriteTransaction(connection_.get(), [&] {
        for (const Device& device : devices)
            saveOne(save_.get(), device);
    });
}

}  // namespace quelmarn::service
