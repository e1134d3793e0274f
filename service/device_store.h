#pragma once

#include <sys/types.h>

#include <chrono>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "service/device.h"
#include "service/sqlite_handles.h"

namespace quelmarn::service {

// The registered devices, kept in one SQLite file. Safe to use from several threads at once: one
// connection serves them all behind a mutex, as a lookup holds it for a few microseconds only.
// Other processes (an import) may write the same file while a service reads it.
class DeviceStore {
  public:
    // Stamped into PRAGMA application_id of every database this service makes ("QLMN"), so that
    // a file made by another program is told apart before anything is written to it.
    static constexpr int kApplicationId = 0x514C4D4E;

    // Opens the database at `path`. On first use creates the missing directories, the file, the
    // schema and a handful of sample devices, so that a fresh service has something to show.
    // Throws StoreError when the file cannot be opened, is not a database, belongs to another
    // program (another application_id, or tables that are not ours: the file is then left as it
    // was), or was made by a newer version of this service.
    explicit DeviceStore(const std::string& path);

    // The device registered under exactly these bytes, or nothing. Throws StoreError, also once
    // the file has been deleted or replaced by another since it was opened (looked at about
    // once a second): the store then stops answering from it for good.
    std::optional<Device> find(std::string_view serial);

    // Registers every device, each replacing one already registered under its serial, in a single
    // transaction: either all are saved or, on a thrown StoreError, none.
    void saveAll(std::span<const Device> devices);

  private:
    // Throws StoreError when the file at path_ is no longer the one opened.
    void checkStillOurFile();

    std::string path_;
    dev_t device_ = 0;
    ino_t inode_ = 0;
    std::chrono::steady_clock::time_point nextFileCheck_;
    std::optional<std::string> fileLost_;  // why the store stopped answering
    std::mutex mutex_;
    Connection connection_;
    Statement find_;
    Statement save_;
};

}  // namespace quelmarn::service
