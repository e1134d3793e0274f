#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "service/accepted_hosts.h"
#include "service/connection_guard.h"
#include "service/device_registry.h"
#include "service/http_exchange.h"
#include "service/request_log.h"
#include "service/service_figures.h"
#include "service/tls_credentials.h"

struct MHD_Connection;

namespace quelmarn::service {

// The HTTP side of the lookup service; request_answer.h says what each request is answered.
// A few event loops (libmicrohttpd on epoll) serve every connection, so a client that trickles
// its bytes holds a socket and a little memory, never a thread. Limits, each answered at once
// and followed by closing the connection: a body over 4 KiB in any framing 413, a header over
// kMaxHeaderBytes or with more than kMaxHeaderFields fields 431, a request not in within its time
// 408, too many connections 503 (ConnectionLimits).
class LookupServer {
  public:
    // Serves the devices in `store`, which must outlive the server, and hands one line per
    // answered request to `log`, which must not block.
    LookupServer(DeviceRegistry& store, LogSink log, ConnectionLimits limits = {});
    ~LookupServer();
    LookupServer(const LookupServer&) = delete;
    LookupServer& operator=(const LookupServer&) = delete;

    // Listens on `host` (an IPv4 or IPv6 address or a name) and `port`, 0 meaning any free port.
    // Returns the port listened on, or nothing when the address is taken or cannot be used.
    // Requests are answered when their Host names `host` or one of `serverNames`.
    std::optional<int> bind(const std::string& host, int port,
                            const std::vector<std::string>& serverNames = {});

    // Serves HTTPS with `credentials` instead of plain HTTP; call before serve(). They must
    // outlive the server.
    void useTls(TlsCredentials& credentials) { tls_ = &credentials; }

    // Answers requests until stop(); call after a successful bind(). Returns false when the
    // event loop could not be started.
    bool serve();

    // Makes serve() return, closing every connection. May be called from any thread, before
    // serve() too, and returns at once.
    void stop();

    struct Exchange;  // what one request has sent so far

  private:
    // Queues `answer` for the request on `connection` and logs it; false when the guard has
    // answered already and the connection is to be closed.
    bool answer(MHD_Connection* connection, GuardedConnection* guarded, const Exchange& exchange,
                const char* method, const char* path, const HttpAnswer& answer, bool closeAfter);

    // The store's find(), counted and timed in figures_.
    std::optional<Device> timedFind(std::string_view serial);

    DeviceRegistry& store_;
    ServiceFigures figures_;
    LogSink log_;
    ConnectionLimits limits_;
    ConnectionGuard guard_;
    TlsCredentials* tls_ = nullptr;
    int listenSocket_ = -1;
    bool ipv6_ = false;
    std::optional<AcceptedHosts> hosts_;
    std::mutex mutex_;
    std::condition_variable stopped_;
    bool stopRequested_ = false;

    friend struct ServerCallbacks;
};

}  // namespace quelmarn::service
