#pragma once

// A lookup server on a free loopback port with a database of its own (the sample devices),
// serving on a thread of its own from construction until stop() or destruction.
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "service/lookup_server.h"
#include "tests/support/temporary_directory.h"

namespace testing_support {

class RunningServer {
  public:
    explicit RunningServer(quelmarn::service::ConnectionLimits limits = {})
        : server_(
              store,
              [this](std::string_view line) {
                  const std::lock_guard lock(logMutex_);
                  logLines_.emplace_back(line);
              },
              limits) {}
    ~RunningServer() { stop(); }

    // Stops serving and closes every connection.
    void stop() {
        if (serving_.joinable()) {
            server_.stop();
            serving_.join();
        }
    }

    std::vector<std::string> logLines() {
        const std::lock_guard lock(logMutex_);
        return logLines_;
    }

    TemporaryDirectory directory;
    std::string databasePath = (directory.path() / "devices.sqlite3").string();
    quelmarn::service::DeviceStore store{databasePath};

  private:
    std::mutex logMutex_;
    std::vector<std::string> logLines_;
    quelmarn::service::LookupServer server_;

  public:
    // Declared after server_, which they need made first.
    const int port = server_.bind("127.0.0.1", 0).value();

  private:
    std::thread serving_{[this] { server_.serve(); }};
};

}  // namespace testing_support
