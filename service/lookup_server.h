#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include "service/device_store.h"
#include "service/request_log.h"

namespace quelmarn::service {

class HttpServer;

// The HTTP side of the lookup service:
//   POST /inapp.php   body "sn=" + serial: the device page (200), or the not-registered page
//                     (404); 400 for a body without "sn=", an empty serial or one that is not
//                     UTF-8; 413 for a body over 4 KiB.
//   GET  /kb/HT1349   the help page, with or without a query (HEAD too).
// Every other path answers 404, every other method on these paths 405 with Allow. All answers
// are Simplified-Chinese HTML pages. Requests are served by a fixed pool of worker threads; a
// client that stalls holds one worker for the read or write time-out at most.
class LookupServer {
  public:
    // Serves the devices in `store`, which must outlive the server, and hands one line per
    // answered request to `log`.
    LookupServer(DeviceStore& store, LogSink log);
    ~LookupServer();
    LookupServer(const LookupServer&) = delete;
    LookupServer& operator=(const LookupServer&) = delete;

    // Listens on `host` (an IPv4 or IPv6 address or a name) and `port`, 0 meaning any free port.
    // Returns the port listened on, or nothing when the address is taken or cannot be used.
    std::optional<int> bind(const std::string& host, int port);

    // Answers requests until stop(); call after a successful bind(). Returns false when the
    // listening socket failed.
    bool serve();

    // Makes serve() return after the requests in progress are answered. May be called from any
    // thread once serve() has been called or is about to be, and returns at once.
    void stop();

  private:
    std::unique_ptr<HttpServer> http_;
    std::atomic<bool> finished_ = false;
};

}  // namespace quelmarn::service
