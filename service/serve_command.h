#pragma once

#include <string>
#include <vector>

namespace quelmarn::service {

// `quelmarn-lookupd` without a sub-command: serves lookups from the database at `databasePath`
// on `host`:`port` until SIGINT or SIGTERM, logging one line per request to standard error.
// Clients may name the service by `host` or by one of `serverNames` in their Host header.
// Returns the exit status: 0 after a signal, 1 when the database cannot be used, the address
// cannot be listened on, or listening fails later.
int runServer(const std::string& host, int port, const std::vector<std::string>& serverNames,
              const std::string& databasePath);

}  // namespace quelmarn::service
