#include "service/device_store.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cerrno>
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

constexpr std::string_view kRemove = "DELETE FROM devices WHERE serial = ?1";

constexpr std::string_view kAll =
    "SELECT serial, model, model_identifier, manufactured_on, warranty_ends_on, notes "
    "FROM devices ORDER BY serial";

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

// Thrown by a transaction's work to roll it back without an error.
struct Rollback {};

// Runs `work` inside BEGIN IMMEDIATE ... COMMIT, rolling back when it throws (Rollback is then
// swallowed, anything else passed on).
template <typename Work>
void inWriteTransaction(sqlite3* connection, Work&& work) {
    execute(connection, "BEGIN IMMEDIATE");
    try {
        work();
        execute(connection, "COMMIT");
    } catch (const Rollback&) {
        sqlite3_exec(connection, "ROLLBACK", nullptr, nullptr, nullptr);
    } catch (...) {
        sqlite3_exec(connection, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

// The file's size and times: what a write to it changes.
bool sameWrites(const struct stat& a, const struct stat& b) {
    return a.st_size == b.st_size && a.st_mtim.tv_sec == b.st_mtim.tv_sec &&
           a.st_mtim.tv_nsec == b.st_mtim.tv_nsec && a.st_ctim.tv_sec == b.st_ctim.tv_sec &&
           a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

// PRAGMA data_version, or nothing when the file cannot be read just now.
std::optional<int> dataVersion(sqlite3* connection) {
    const auto statement = prepare(connection, "PRAGMA data_version");
    if (sqlite3_step(statement.get()) != SQLITE_ROW)
        return std::nullopt;
    return sqlite3_column_int(statement.get(), 0);
}

// How long a backup waits, in all, for a file that another process is recovering or changing
// the mode of; readers in WAL mode wait for nothing else.
constexpr int kBackupRetries = 100;
constexpr int kBackupRetryMilliseconds = 50;

void copyDatabase(sqlite3* from, sqlite3* to) {
    sqlite3_backup* backup = sqlite3_backup_init(to, "main", from, "main");
    if (backup == nullptr)
        throw StoreError(std::string("无法开始备份：") + sqlite3_errmsg(to));
    // One step copies every page inside one read transaction: a consistent view, however
    // long the copy takes, while writers go on adding to the write-ahead log.
    int result = SQLITE_OK;
    for (int attempt = 0; attempt < kBackupRetries; ++attempt) {
        result = sqlite3_backup_step(backup, -1);
        if (result != SQLITE_BUSY && result != SQLITE_LOCKED)
            break;
        sqlite3_sleep(kBackupRetryMilliseconds);
    }
    sqlite3_backup_finish(backup);
    check(to, result == SQLITE_DONE ? SQLITE_OK : result, "备份失败");
}

std::string databaseFile(const std::string& path) {
    return "数据库文件 " + path;
}

}  // namespace

DeviceStore::DeviceStore(const std::string& path, WhenMissing whenMissing) : path_(path) {
    open(whenMissing);
}

void DeviceStore::open(WhenMissing whenMissing) {
    struct stat before {};
    const bool missing = ::stat(path_.c_str(), &before) != 0 && errno == ENOENT;
    if (missing && whenMissing == WhenMissing::kRefuse)
        throw StoreError(databaseFile(path_) + " 不存在");
    if (missing)
        createParentDirectories(path_);
    connection_ = openConnection(path_, missing ? OpenMode::kCreate : OpenMode::kExisting);
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
            // Samples are for a fresh service's first start only: an import or a restore into a
            // new file is to hold what the operator gives it and nothing else.
            if (whenMissing != WhenMissing::kCreateWithSamples)
                return;
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
    remove_ = prepare(connection, kRemove);
    checkpoint();
    dataVersion_ = dataVersion(connection).value_or(0);
    if (::stat(path_.c_str(), &file_) != 0)
        throw StoreError(databaseFile(path_) + " 打开后就不见了");
    nextFileCheck_ = std::chrono::steady_clock::now() + kFileCheckInterval;
}

void DeviceStore::checkpoint() {
    int logFrames = 0;
    int copiedFrames = 0;
    // PASSIVE waits for no one: what a reader still needs stays in the log for later.
    const int result = sqlite3_wal_checkpoint_v2(
        connection_.get(), nullptr, SQLITE_CHECKPOINT_PASSIVE, &logFrames, &copiedFrames);
    logCopied_ = result == SQLITE_OK && logFrames == copiedFrames;
}

bool DeviceStore::overwrittenInPlace(const struct stat& file) {
    const auto version = dataVersion(connection_.get());
    if (!version)
        return false;  // looked at again at the next check
    const bool written = !sameWrites(file, file_);
    // In WAL mode SQLite writes the file only to copy the log into it. The file changing while
    // no connection committed anything and the log held nothing left to copy is therefore a
    // write from outside SQLite: a copy over the file.
    if (written && *version == dataVersion_ && logCopied_)
        return true;
    if (written || *version != dataVersion_) {
        dataVersion_ = *version;
        checkpoint();
        ::stat(path_.c_str(), &file_);
    }
    return false;
}

void DeviceStore::openOverwritten() {
    // The write-ahead log belongs to the file's old content, all of it copied into the file
    // before it was overwritten: neither this connection's close nor the next opener may copy
    // it over the new content. Then the file is opened as it now is.
    sqlite3_db_config(connection_.get(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    find_.reset();
    save_.reset();
    remove_.reset();
    connection_.reset();
    std::error_code ignored;
    std::filesystem::remove(path_ + "-wal", ignored);
    std::filesystem::remove(path_ + "-shm", ignored);
    try {
        open(WhenMissing::kRefuse);
    } catch (const StoreError& error) {
        fileLost_ = databaseFile(path_) + " 被覆盖，新内容无法使用（" + error.what() +
                    "），不再回答查询，请用 quelmarn-lookupd restore 恢复备份";
    }
}

void DeviceStore::checkStillOurFile() {
    const auto now = std::chrono::steady_clock::now();
    if (!fileLost_ && now >= nextFileCheck_) {
        nextFileCheck_ = now + kFileCheckInterval;
        // The open connection keeps reading the old file: an import or a restore that writes a
        // new one at the path would never be seen, so the old one is not served on (stat(2)).
        struct stat file {};
        if (::stat(path_.c_str(), &file) != 0)
            fileLost_ = databaseFile(path_) + " 已被删除，不再用它回答查询，请重新启动服务";
        else if (file.st_dev != file_.st_dev || file.st_ino != file_.st_ino)
            fileLost_ =
                databaseFile(path_) + " 已被另一个文件替换，不再用旧文件回答查询，请重新启动服务";
        else if (overwrittenInPlace(file))
            openOverwritten();
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

class DeviceStore::FileWriter final : public DeviceWriter {
  public:
    explicit FileWriter(DeviceStore& store) : store_(store) {}

    void save(const Device& device) override { saveOne(store_.save_.get(), device); }

    bool remove(std::string_view serial) override {
        const StatementUse use(store_.remove_.get());
        bindText(use.get(), 1, serial);
        check(store_.connection_.get(), sqlite3_step(use.get()), "无法删除设备");
        return sqlite3_changes(store_.connection_.get()) > 0;
    }

  private:
    DeviceStore& store_;
};

void DeviceStore::write(const std::function<bool(Writer&)>& work) {
    const std::lock_guard lock(mutex_);
    checkStillOurFile();
    FileWriter writer(*this);
    bool committed = false;
    inWriteTransaction(connection_.get(), [&] {
        if (!work(writer))
            throw Rollback{};
        committed = true;
    });
    if (committed)
        checkpoint();  // so that a service reading the file has no large log to copy
}

void DeviceStore::checkReachable() {
    const std::lock_guard lock(mutex_);
    checkStillOurFile();
    // Reads the file's header: what fails once the file can no longer be read.
    pragmaValue(connection_.get(), "PRAGMA schema_version");
}

void DeviceStore::forEach(const std::function<void(const Device&)>& visit) {
    const std::lock_guard lock(mutex_);
    checkStillOurFile();
    const auto all = prepare(connection_.get(), kAll);
    int result = SQLITE_ROW;
    while ((result = sqlite3_step(all.get())) == SQLITE_ROW)
        visit(readDevice(all.get()));
    check(connection_.get(), result, "无法读取设备");
}

void DeviceStore::backupTo(const std::string& path) {
    const std::lock_guard lock(mutex_);
    checkStillOurFile();
    const Connection copy = openConnection(path, OpenMode::kCreate);
    copyDatabase(connection_.get(), copy.get());
    // The copy carries the WAL mark of the original; a backup is to be one file that can be
    // moved or mailed alone.
    execute(copy.get(), "PRAGMA journal_mode = DELETE");
}

std::size_t DeviceStore::restoreFrom(const std::string& backupPath) {
    const std::lock_guard lock(mutex_);
    checkStillOurFile();
    std::error_code error;
    if (std::filesystem::equivalent(backupPath, path_, error))
        throw StoreError("备份文件就是数据库本身");
    const Connection backup = openConnection(backupPath, OpenMode::kReadOnly);
    refuseForeignDatabase(backup.get());
    if (schemaVersion(backup.get()) != kSchemaVersion)
        throw StoreError("这不是本服务的数据库备份");
    const auto all = prepare(backup.get(), kAll);
    std::size_t restored = 0;
    inWriteTransaction(connection_.get(), [&] {
        execute(connection_.get(), "DELETE FROM devices");
        int result = SQLITE_ROW;
        while ((result = sqlite3_step(all.get())) == SQLITE_ROW) {
            saveOne(save_.get(), readDevice(all.get()));
            ++restored;
        }
        check(backup.get(), result, "无法读取备份");
    });
    checkpoint();
    return restored;
}

}  // namespace quelmarn::service
