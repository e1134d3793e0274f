#pragma once

// A lookup server on a free loopback port with a database of its own (the sample devices),
// serving on a thread of its own from construction until stop() or destruction. The members
// are made in the order they are declared, each from those before it.
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "service/device_store.h"
#include "service/lookup_server.h"
#include "tests/support/temporary_directory.h"

namespace testing_support {

struct RunningServer {
    explicit RunningServer(
        quelmarn::service::ConnectionLimits limits = {},
        quelmarn::service::AccessLog accessLog = quelmarn::service::AccessLog::kOn)
        : server(
              store,
              [this](std::string_view line) {
                  const std::lock_guard lock(logMutex);
                  logged.emplace_back(line);
              },
              limits, accessLog) {}
    ~RunningServer() { stop(); }

    // Stops serving (if it has not stopped by itself) and closes every connection.
    void stop() {
        if (serving.joinable()) {
            server.stop();
            serving.join();
        }
    }

    std::vector<std::string> logLines() {
        const std::lock_guard lock(logMutex);
        return logged;
    }

    TemporaryDirectory directory;
    std::string databasePath = (directory.path() / "devices.sqlite3").string();
    quelmarn::service::DeviceStore store{databasePath,
                                         quelmarn::service::WhenMissing::kCreateWithSamples};
    std::mutex logMutex;
    std::vector<std::string> logged;
    quelmarn::service::LookupServer server;
    const int port = server.bind("127.0.0.1", 0).value();
    std::optional<quelmarn::service::LookupServer::End> ended;  // once stop() has returned
    std::thread serving{[this] { ended = server.serve(); }};
};

}  // namespace testing_support
