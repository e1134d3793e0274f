#pragma once

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
    // Opens the database at `path`. On first use creates the missing directories, the file, the
    // schema and a handful of sample devices, so that a fresh service has something to show.
    // Throws StoreError when the file cannot be opened, is not a database, or was made by a
    // newer version of this service.
    explicit DeviceStore(const std::string& path);

    // The device registered under exactly these bytes, or nothing. Throws StoreError.
    std::optional<Device> find(std::string_view serial);

    // Registers every device, each replacing one already registered under its serial, in a single
    // transaction: either all are saved or, on a thrown StoreError, none.
    void saveAll(std::span<const Device> devices);

  private:
    std::mutex mutex_;
    Connection connection_;
    Statement find_;
    Statement save_;
};

}  // namespace quelmarn::service
