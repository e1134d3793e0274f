#pragma once

#include <string>

namespace quelmarn::service {

// `quelmarn-lookupd` without a sub-command: serves lookups from the database at `databasePath`
// on `host`:`port` until SIGINT or SIGTERM, logging one line per request to standard error.
// Returns the exit status: 0 after a signal, 1 when the database cannot be used, the address
// cannot be listened on, or listening fails later.
int runServer(const std::string& host, int port, const std::string& databasePath);

}  // namespace quelmarn::service
