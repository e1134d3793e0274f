#pragma once

#include <atomic>
#include <chrono>
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
#include "service/store_workers.h"
#include "service/tls_credentials.h"

struct MHD_Connection;
struct MHD_Daemon;

namespace quelmarn::service {

// The HTTP side of the lookup service; request_answer.h says what each request is answered.
// A few event loops (libmicrohttpd on epoll) serve every connection, so a client that trickles
// its bytes holds a socket and a little memory, never a thread. Limits, each answered at once
// and followed by closing the connection: a body over 4 KiB in any framing 413, a header over
// kMaxHeaderBytes or with more than kMaxHeaderFields fields 431, a request not in within its time
// 408, too many connections 503 (ConnectionLimits).
class LookupServer {
  public:
    // Serves the devices in `store`, which must outlive the server, and hands `log`, which must
    // not block, a line for each problem and, with AccessLog::kOn, one per answered request.
    LookupServer(DeviceRegistry& store, LogSink log, ConnectionLimits limits = {},
                 AccessLog accessLog = AccessLog::kOn);
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

    // How serve() ended.
    enum class End {
        kStopped,       // by stop()
        kNotStarted,    // the event loops could not be started
        kDatabaseLost,  // every lookup failed for storeLostAfter: the database is unusable
    };

    // Answers requests until stop(); call after a successful bind().
    End serve();

    // Makes serve() stop accepting connections, answer the requests already received (each
    // answer closing its connection), close idle connections and return once none is left, or
    // after kStopGrace at most. May be called from any thread, before serve() too, and returns
    // at once.
    void stop();

    static constexpr auto kStopGrace = std::chrono::seconds(5);

    // The event loops, and the file descriptors they take beside the connections' (an epoll set
    // and a wake-up descriptor each, and those of the loops' coordinator).
    static constexpr unsigned kEventLoops = 4;
    static constexpr unsigned kOwnDescriptors = 2 * kEventLoops + 2;

    struct Exchange;  // what one request has sent so far

  private:
    // Queues `answer` for the request on `connection` and logs it; false when the guard has
    // answered already and the connection is to be closed.
    bool answer(MHD_Connection* connection, GuardedConnection* guarded, const Exchange& exchange,
                const char* method, const char* path, const HttpAnswer& answer, bool closeAfter);

    // Stops accepting, and waits (kStopGrace at most) until every request received is
    // answered and every connection closed.
    void finishReceivedRequests(MHD_Daemon* daemon);

    // The answer to a lookup of `serial` (as `request` asks) when the database gives it without
    // waiting and no other thread uses it: the event loops' way, which spares a hand-over to a
    // store worker. Nothing otherwise.
    std::optional<HttpAnswer> lookUpWithoutWaiting(const HttpRequest& request,
                                                   std::string_view serial);
    // The answer to a lookup with `body`, from the database; run by a store worker.
    HttpAnswer lookUp(const std::string& body);
    // The answer to the health probe (`method` GET or HEAD), which asks the database; run by a
    // store worker.
    HttpAnswer probeHealth(const std::string& method);
    // Notes whether a lookup could use the database; stops the server when none could for
    // storeLostAfter.
    void noteDatabaseUse(bool succeeded);

    // The address to log for a request with this header: the peer's, or the client a trusted
    // proxy names.
    std::string clientOf(MHD_Connection* connection, const HttpRequest& header) const;

    // The store's find(), counted and timed in figures_.
    std::optional<Device> timedFind(std::string_view serial);

    DeviceRegistry& store_;
    ServiceFigures figures_;
    LogSink log_;
    ConnectionLimits limits_;
    AccessLog accessLog_;
    ConnectionGuard guard_;
    TlsCredentials* tls_ = nullptr;
    StoreWorkers storeWorkers_;
    int listenSocket_ = -1;
    bool ipv6_ = false;
    std::optional<AcceptedHosts> hosts_;
    std::mutex mutex_;
    std::condition_variable stopped_;
    bool stopRequested_ = false;
    std::atomic<bool> closing_ = false;  // every answer closes its connection
    // Taken for every use of the store: tried by the event loops, waited for by the workers.
    std::mutex storeTurn_;
    // Until when (steady clock ticks) the event loops leave lookups to the store workers.
    std::atomic<std::chrono::steady_clock::rep> noWaitPausedUntil_ = 0;
    std::mutex failureMutex_;
    std::atomic<bool> failing_ = false;  // some lookup failed since the last one that did not
    // Since when every lookup has failed, for want of a usable database.
    std::optional<std::chrono::steady_clock::time_point> failingSince_;
    std::atomic<bool> databaseLost_ = false;

    friend struct ServerCallbacks;
};

}  // namespace quelmarn::service
