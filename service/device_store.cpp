#include "service/device_store.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

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

// How often a lookup looks at whether the file is still the one opened.
constexpr auto kFileCheckInterval = std::chrono::seconds(1);

constexpr std::array<std::string_view, 6> kDeviceColumns{
    "serial", "model", "model_identifier", "manufactured_on", "warranty_ends_on", "notes"};

// The one integer that `pragma` returns.
int pragmaValue(sqlite3* connection, const char* pragma) {
    const auto statement = prepare(connection, pragma);
    const int result = sqlite3_step(statement.get());
    if (result != SQLITE_ROW)
        check(connection, result, "无法读取数据库信息");
    return sqlite3_column_int(statement.get(), 0);
}

int schemaVersion(sqlite3* connection) {
    return pragmaValue(connection, "PRAGMA user_version");
}

std::vector<std::string> textColumn(sqlite3* connection, std::string_view query) {
    const auto statement = prepare(connection, query);
    std::vector<std::string> values;
    int result = SQLITE_ROW;
    while ((result = sqlite3_step(statement.get())) == SQLITE_ROW)
        values.push_back(columnText(statement.get(), 0));
    check(connection, result, "无法读取数据库结构");
    return values;
}

// Refuses, before anything is written, a database that another program made: one with another
// application_id, or an unstamped one with anything in it but our devices table (a file from
// before the stamp, which is stamped once its schema is known to be ours).
void refuseForeignDatabase(sqlite3* connection) {
    const int applicationId = pragmaValue(connection, "PRAGMA application_id");
    if (applicationId != 0 && applicationId != DeviceStore::kApplicationId) {
        char id[16];
        std::snprintf(id, sizeof id, "0x%08X", static_cast<unsigned>(applicationId));
        throw StoreError(std::string("这是另一个程序的数据库（application_id ") + id +
                         "），没有做任何改动");
    }
    const auto objects = textColumn(
        connection, "SELECT name FROM sqlite_schema WHERE name NOT LIKE 'sqlite_%' ORDER BY name");
    std::string foreign;
    for (const auto& name : objects) {
        if (name != "devices")
            foreign += (foreign.empty() ? "" : "、") + name;
    }
    const bool devicesAsOurs =
        std::find(objects.begin(), objects.end(), "devices") == objects.end() ||
        std::ranges::equal(
            textColumn(connection, "SELECT name FROM pragma_table_info('devices') ORDER BY cid"),
            kDeviceColumns);
    if (!foreign.empty() || !devicesAsOurs) {
        throw StoreError("数据库中有不属于本服务的内容（" +
                         (foreign.empty() ? std::string("devices 表的列不同") : foreign) +
                         "），没有做任何改动");
    }
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

DeviceStore::DeviceStore(const std::string& path) : path_(path) {
    createParentDirectories(path);
    connection_ = openConnection(path);
    sqlite3* connection = connection_.get();
    // A running service and an import may share the file; let either wait for the other's write
    // rather than fail at once.
    sqlite3_busy_timeout(connection, 5000);
    refuseForeignDatabase(connection);
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
    if (pragmaValue(connection, "PRAGMA application_id") == 0)
        execute(connection, ("PRAGMA application_id = " + std::to_string(kApplicationId)).c_str());
    find_ = prepare(connection, kFind);
    save_ = prepare(connection, kSave);
    struct stat file {};
    if (::stat(path.c_str(), &file) != 0)
        throw StoreError("数据库文件 " + path + " 打开后就不见了");
    device_ = file.st_dev;
    inode_ = file.st_ino;
    nextFileCheck_ = std::chrono::steady_clock::now() + kFileCheckInterval;
}

void DeviceStore::checkStillOurFile() {
    const auto now = std::chrono::steady_clock::now();
    if (!fileLost_ && now >= nextFileCheck_) {
        nextFileCheck_ = now + kFileCheckInterval;
        // The open connection keeps reading the old file: an import or a restore that writes a
        // new one at the path would never be seen, so the old one is not served on (stat(2)).
        struct stat file {};
        if (::stat(path_.c_str(), &file) != 0)
            fileLost_ = "数据库文件 " + path_ + " 已被删除，不再用它回答查询，请重新启动服务";
        else if (file.st_dev != device_ || file.st_ino != inode_)
            fileLost_ =
                "数据库文件 " + path_ + " 已被另一个文件替换，不再用旧文件回答查询，请重新启动服务";
    }
    if (fileLost_)
        throw StoreError(*fileLost_);
}

std::optional<Device> DeviceStore::find(std::string_view serial) {
    const std::lock_guard lock(mutex_);
    checkStillOurFile();
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
    checkStillOurFile();
    inWriteTransaction(connection_.get(), [&] {
        for (const Device& device : devices)
            saveOne(save_.get(), device);
    });
}

}  // namespace quelmarn::service
