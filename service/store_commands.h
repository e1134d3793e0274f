#pragma once

#include <ostream>
#include <span>
#include <string>

namespace quelmarn::service {

// The commands that manage the device database at `databasePath`, which must exist, while a
// service may be serving from it. Each writes what it did to `out` and what went wrong to `err`
// (paths and serials escaped for the terminal), and returns the exit status: 0 on success, 1
// otherwise.

// `backup FILE`: a consistent copy of the database at `file`, made with SQLite's online backup
// (a plain copy of the file misses what is still in its write-ahead log).
int runBackup(const std::string& file, const std::string& databasePath, std::ostream& out,
              std::ostream& err);

// `restore FILE`: replaces every device by those of the backup at `file`, in one transaction
// that a running service sees at its next lookup. The database is made when it is missing.
int runRestore(const std::string& file, const std::string& databasePath, std::ostream& out,
               std::ostream& err);

// `export FILE`: every device, in the CSV dialect that `import` reads, so that importing the
// file gives back the same devices. FILE "-" is `out`, the summary then going to `err`.
int runExport(const std::string& file, const std::string& databasePath, std::ostream& out,
              std::ostream& err);

// `delete SERIAL...`: unregisters the devices with these serials in one transaction. A serial
// that is not registered is named in `err` and makes the status 1; the others are deleted.
int runDelete(std::span<const std::string> serials, const std::string& databasePath,
              std::ostream& out, std::ostream& err);

}  // namespace quelmarn::service
