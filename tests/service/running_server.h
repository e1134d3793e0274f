#pragma once

#include <httplib.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "service/device_store.h"
#include "service/lookup_server.h"
#include "tests/support/temporary_directory.h"

namespace quelmarn::service::testing {

// The lookup service on a free loopback port with a database of its own (the sample devices),
// answering from a background thread until the object goes.
class RunningServer {
  public:
    RunningServer();
    ~RunningServer();

    DeviceStore& store() { return store_; }
    std::string databasePath() const { return (directory_.path() / "devices.sqlite3").string(); }
    int port() const { return port_; }
    httplib::Client client() const;

    // Stops serving once the requests in progress are answered and logged; idempotent.
    void stop();

    // Request log lines written so far. A line is written after its answer is sent, so only
    // after stop() are all answered requests' lines there.
    std::vector<std::string> logLines();

  private:
    testing_support::TemporaryDirectory directory_;
    DeviceStore store_;
    std::mutex logMutex_;
    std::vector<std::string> logLines_;
    LookupServer server_;
    int port_;
    std::thread serving_;
};

}  // namespace quelmarn::service::testing
