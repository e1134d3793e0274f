#pragma once

#include <ostream>
#include <string>

namespace quelmarn::service {

// `quelmarn-lookupd import`: registers the devices of the CSV file at `csvPath` in the database
// at `databasePath` (see importDevices for the format), then writes how many were imported to
// `out` and each line left out, with its line number, to `err`. Returns the exit status: 0 when
// every line was imported, 1 when some were left out or the file or database failed.
int runImport(const std::string& csvPath, const std::string& databasePath, std::ostream& out,
              std::ostream& err);

}  // namespace quelmarn::service
