#pragma once

#include <string>

#include "service/options.h"

namespace quelmarn::service {

// `quelmarn-lookupd` without a sub-command: serves lookups from the database at `databasePath`
// on `options.host`:`options.port` until SIGINT or SIGTERM, logging to standard error, over
// HTTPS when `options` names a certificate and key (SIGHUP reads them again, and reopens the
// log file). Clients may name the service by the host or by one of `options.serverNames` in
// their Host header. Returns the exit status: 0 after a signal, 1 when the database or the
// certificate cannot be used, the address cannot be listened on, or listening fails later.
int runServer(const Options& options, const std::string& databasePath);

}  // namespace quelmarn::service
