#include "tests/service/running_server.h"

namespace quelmarn::service::testing {

RunningServer::RunningServer()
    : store_(databasePath()),
      server_(store_,
              [this](std::string_view line) {
                  const std::lock_guard lock(logMutex_);
                  logLines_.emplace_back(line);
              }),
      port_(server_.bind("127.0.0.1", 0).value()),
      serving_([this] { server_.serve(); }) {}

RunningServer::~RunningServer() {
    stop();
}

void RunningServer::stop() {
    if (!serving_.joinable())
        return;
    server_.stop();
    serving_.join();
}

httplib::Client RunningServer::client() const {
    httplib::Client client("127.0.0.1", port_);
    client.set_read_timeout(10);
    return client;
}

std::vector<std::string> RunningServer::logLines() {
    const std::lock_guard lock(logMutex_);
    return logLines_;
}

}  // namespace quelmarn::service::testing
