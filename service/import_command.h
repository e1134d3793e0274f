#pragma once

#include <ostream>
#include <string>

#include "service/device_import.h"

namespace quelmarn::service {

// `quelmarn-lookupd import`: registers the devices of the CSV file at `csvPath` ("-": standard
// input, which must then be a regular file) in the database at `databasePath` (see importDevices for the format and for `faultyLines`), then writes how
// many were imported to `out` and each faulty line, with its line number, to `err`. Returns the
// exit status: 0 when every line was imported, 1 when some were faulty, the path is not a
// regular file that can be read, or the database failed.
int runImport(const std::string& csvPath, const std::string& databasePath, FaultyLines faultyLines,
              std::ostream& out, std::ostream& err);

}  // namespace quelmarn::service
