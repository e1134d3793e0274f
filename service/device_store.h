#pragma once

#include <sys/stat.h>

#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "service/device.h"
#include "service/device_registry.h"
#include "service/sqlite_handles.h"

namespace quelmarn::service {

// The registered devices, kept in one SQLite file. Safe to use from several threads at once: one
// connection serves them all behind a mutex, as a lookup holds it for a few microseconds only.
// Other processes (an import) may write the same file while a service reads it.
class DeviceStore final : public DeviceRegistry {
  public:
    // Stamped into PRAGMA application_id of every database this service makes ("QLMN"), so that
    // a file made by another program is told apart before anything is written to it.
    static constexpr int kApplicationId = 0x514C4D4E;

    // Opens the database at `path`; a missing one is made (with the missing directories) or
    // refused as `whenMissing` says. Throws StoreError when the file cannot be opened, is not a
    // database, belongs to another program (another application_id, or tables that are not
    // ours: the file is then left as it was), or was made by a newer version of this service.
    DeviceStore(const std::string& path, WhenMissing whenMissing);

    // The device registered under exactly these bytes, or nothing. Throws StoreError, also once
    // the file has been deleted or replaced by another since it was opened (looked at about
    // once a second): the store then stops answering from it for good. A file overwritten in
    // place (a copy over it) is opened afresh instead, as what the operator meant to serve.
    std::optional<Device> find(std::string_view serial) override;

    void write(const std::function<bool(Writer&)>& work) override;
    void forEach(const std::function<void(const Device&)>& visit) override;
    void checkReachable() override;
    bool local() const override { return true; }
    // One connection behind a mutex.
    std::size_t parallelLookups() const override { return 1; }

    // Writes a consistent copy of the whole database to a new file at `path` with SQLite's
    // online backup, while lookups and other processes' writes go on. The copy is one file in
    // rollback-journal mode, complete in itself. Throws StoreError.
    void backupTo(const std::string& path);

    // Replaces every registered device by those of the database at `backupPath` (one this
    // service made, such as a backup), in one transaction that a running service sees at its
    // next lookup. Returns how many devices the backup holds. Throws StoreError, leaving the
    // devices as they were, when the backup is not one of ours or cannot be read.
    std::size_t restoreFrom(const std::string& backupPath);

  private:
    class FileWriter;

    // Opens path_, or throws; the statements and the file's identity are taken anew.
    void open(WhenMissing whenMissing);
    // Throws StoreError when the file at path_ is no longer the one opened; opens it afresh
    // when it was overwritten in place.
    void checkStillOurFile();
    // Whether the file was written since it was last looked at by anything but SQLite.
    bool overwrittenInPlace(const struct stat& file);
    // Closes the connection without copying the log into the file, and opens the file again.
    void openOverwritten();
    // Copies what the write-ahead log holds into the file, noting whether all of it went.
    void checkpoint();

    std::string path_;
    struct stat file_ {};     // as last looked at
    int dataVersion_ = 0;     // PRAGMA data_version as last looked at
    bool logCopied_ = false;  // whether the write-ahead log held nothing the file did not
    std::chrono::steady_clock::time_point nextFileCheck_;
    std::optional<std::string> fileLost_;  // why the store stopped answering
    std::mutex mutex_;
    Connection connection_;
    Statement find_;
    Statement save_;
    Statement remove_;
};

}  // namespace quelmarn::service
