#include "service/store_commands.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <system_error>
#include <type_traits>
#include <vector>

#include "service/calendar_date.h"
#include "service/csv_writer.h"
#include "service/device_store.h"
#include "service/replacement_file.h"
#include "service/terminal_text.h"

namespace quelmarn::service {

namespace {

// Runs `command` on the database, turning its failures into a message on `err` and status 1.
template <typename Store>
int withStore(const std::string& databasePath, WhenMissing whenMissing, std::ostream& err,
              const std::function<int(Store&)>& command) {
    try {
        if constexpr (std::is_same_v<Store, DeviceStore>) {
            DeviceStore store(databasePath, whenMissing);
            return command(store);
        } else {
            return command(*openDeviceRegistry(databasePath, whenMissing));
        }
    } catch (const StoreError& error) {
        err << "数据库 " << printable(databasePath) << " 出错：" << printable(error.what()) << "\n";
    } catch (const std::system_error& error) {
        err << "无法写入文件 " << printable(error.what()) << "\n";
    }
    return 1;
}

// Whether `file` is the database itself, which a new file must not take the place of.
bool isTheDatabase(const std::string& file, const std::string& databasePath, std::ostream& err) {
    std::error_code error;
    if (!std::filesystem::equivalent(file, databasePath, error))
        return false;
    err << "文件 " << printable(file) << " 就是数据库本身\n";
    return true;
}

const std::array<std::string, 6> kHeader{
    "serial", "model", "model_identifier", "manufactured_on", "warranty_ends_on", "notes"};

// Backup and restore copy SQLite files; a PostgreSQL server has its own tools for that.
bool isPostgres(const std::string& databasePath, std::ostream& err) {
    if (!isPostgresUri(databasePath))
        return false;
    err << "PostgreSQL 数据库请用 pg_dump 备份、用 pg_restore 恢复（或用 export 和 import "
           "导出导入设备）\n";
    return true;
}

// Writes the header and every device to `csv`; how many devices.
std::size_t writeDevices(DeviceRegistry& store, std::ostream& csv) {
    writeCsvRecord(csv, kHeader);
    std::size_t count = 0;
    store.forEach([&](const Device& device) {
        const std::array<std::string, 6> fields{device.serial,
                                                device.model,
                                                device.modelIdentifier,
                                                formatIsoDate(device.manufacturedOn),
                                                formatIsoDate(device.warrantyEndsOn),
                                                device.notes};
        writeCsvRecord(csv, fields);
        ++count;
    });
    return count;
}

}  // namespace

int runBackup(const std::string& file, const std::string& databasePath, std::ostream& out,
              std::ostream& err) {
    if (isPostgres(databasePath, err) || isTheDatabase(file, databasePath, err))
        return 1;
    return withStore<DeviceStore>(databasePath, WhenMissing::kRefuse, err, [&](DeviceStore& store) {
        ReplacementFile backup(file);
        store.backupTo(backup.path());
        backup.commit();
        out << "已将 " << printable(databasePath) << " 备份到 " << printable(file) << "。\n";
        return 0;
    });
}

int runRestore(const std::string& file, const std::string& databasePath, std::ostream& out,
               std::ostream& err) {
    if (isPostgres(databasePath, err))
        return 1;
    return withStore<DeviceStore>(databasePath, WhenMissing::kCreateEmpty, err,
                                  [&](DeviceStore& store) {
                                      try {
                                          const std::size_t restored = store.restoreFrom(file);
                                          out << "已从 " << printable(file) << " 恢复 " << restored
                                              << " 台设备到 " << printable(databasePath) << "。\n";
                                          return 0;
                                      } catch (const StoreError& error) {
                                          err << "无法从 " << printable(file) << " 恢复："
                                              << printable(error.what()) << "；数据库没有改动\n";
                                          return 1;
                                      }
                                  });
}

int runExport(const std::string& file, const std::string& databasePath, std::ostream& out,
              std::ostream& err) {
    const bool toOut = file == "-";
    if (!toOut && isTheDatabase(file, databasePath, err))
        return 1;
    return withStore<DeviceRegistry>(
        databasePath, WhenMissing::kRefuse, err, [&](DeviceRegistry& store) {
            std::optional<ReplacementFile> exported;
            std::ofstream written;
            if (!toOut) {
                exported.emplace(file);
                written.open(exported->path(), std::ios::binary | std::ios::trunc);
            }
            std::ostream& csv = toOut ? out : written;
            const std::size_t count = writeDevices(store, csv);
            if (!toOut)
                written.close();
            if (!csv) {
                err << "无法写入文件 " << printable(file) << "\n";
                return 1;
            }
            if (exported)
                exported->commit();
            // The CSV itself may be on standard output: the summary then goes with the messages.
            (toOut ? err : out) << "已将 " << count << " 台设备导出到 "
                                << (toOut ? std::string("标准输出") : printable(file)) << "。\n";
            return 0;
        });
}

int runDelete(std::span<const std::string> serials, const std::string& databasePath,
              std::ostream& out, std::ostream& err) {
    return withStore<DeviceRegistry>(
        databasePath, WhenMissing::kRefuse, err, [&](DeviceRegistry& store) {
            std::vector<std::string> missing;
            std::size_t deleted = 0;
            // A serial given twice is one device, deleted once and not then reported missing.
            std::vector<std::string> distinct(serials.begin(), serials.end());
            std::sort(distinct.begin(), distinct.end());
            distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
            store.write([&](DeviceRegistry::Writer& writer) {
                for (const std::string& serial : distinct) {
                    if (writer.remove(serial))
                        ++deleted;
                    else
                        missing.push_back(serial);
                }
                return true;
            });
            for (const std::string& serial : missing)
                err << "没有序列号为 “" << printable(serial) << "” 的设备\n";
            out << "已删除 " << deleted << " 台设备。\n";
            return missing.empty() ? 0 : 1;
        });
}

}  // namespace quelmarn::service
