#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <list>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_set>

#include "service/client_address.h"
#include "service/request_log.h"

namespace quelmarn::service {

// How much of the service one client may take.
struct ConnectionLimits {
    std::size_t connections = 15000;  // open at once, from everyone; beyond: 503
    // Connections over the limit are still accepted up to this many more, so that each can be
    // told 503 instead of being left waiting; each takes a file descriptor too.
    std::size_t answeredOverLimit = 256;
    // From one address other than loopback or a trusted proxy; beyond: 503. Every local client
    // shares 127.0.0.1, and every client of a proxy the proxy's address, so these are bounded
    // by `connections` alone.
    std::size_t connectionsPerAddress = 64;
    TrustedProxies trustedProxies;
    // From the connection's start, or the end of the previous answer on it, until the request's
    // header and body are in, however the bytes trickle; beyond: 408.
    std::chrono::milliseconds requestTime = std::chrono::seconds(10);
    // After an answer sent out of turn (408, 413 mid-body, 503), how long the client's remaining
    // bytes are still read (and dropped), so that closing does not reset the answer away.
    std::chrono::milliseconds linger = std::chrono::seconds(1);
    // How long a lookup may wait for the database, which another process may hold locked;
    // beyond: 503. Requests that need no database never wait for it.
    std::chrono::milliseconds storeWait = std::chrono::seconds(1);
    // How long every lookup may fail for want of a usable database (deleted, emptied, broken)
    // before the service gives up and exits with a failure, for its supervisor to restart it.
    std::chrono::milliseconds storeLostAfter = std::chrono::seconds(10);
};

// One accepted connection, owned by the guard from accepted() to closed().
struct GuardedConnection;

// Enforces ConnectionLimits beside the HTTP library: counts connections in all and per
// address, and answers those over a limit or past their request time itself, on the socket, as
// the library has no way to answer before a request's header is complete. An answer is sent
// at most once per connection: either the library's (after answering()) or the guard's.
// What the library does itself is left to it: the ceiling on connections (its connection limit,
// set to the limit plus those told 503) and closing idle ones (its time-out). Its per-address
// limit is not used, as it cannot spare loopback and trusted proxies and closes a connection
// over it unanswered; nor is its time-out for requests, which restarts with every byte, so that
// a client trickling its request would never meet it.
class ConnectionGuard {
  public:
    // `log` receives a line for each answer the guard sends (none with AccessLog::kOff); it
    // must outlive the guard.
    ConnectionGuard(ConnectionLimits limits, LogSink log, AccessLog accessLog = AccessLog::kOn);
    // Stops the watch thread; every connection must have been closed().
    ~ConnectionGuard();
    ConnectionGuard(const ConnectionGuard&) = delete;
    ConnectionGuard& operator=(const ConnectionGuard&) = delete;

    // A new connection on socket `fd` from `address` (its numeric text). Answers 503 at once
    // when a limit is passed. The result stays valid until closed().
    GuardedConnection* accepted(int fd, const std::string& address);
    // The library is about to answer the request in progress; false when the guard has
    // answered already (the library must then close the connection).
    bool answering(GuardedConnection* connection);
    // The answer is sent; the next request's time starts.
    void answered(GuardedConnection* connection);
    // Answers `status` on the guard's own (the body grew past its limit while being read).
    // Returns false when an answer was sent already.
    bool answerOutOfTurn(GuardedConnection* connection, int status);
    // Whether the guard has answered on this connection, so its bytes are to be dropped.
    bool answeredOutOfTurn(const GuardedConnection* connection) const;
    // The library closed the connection; its socket may be reused from now on.
    void closed(GuardedConnection* connection);

    // How many connections are open.
    std::size_t openConnections() const;
    // Ends every connection whose request is not all in with no further byte of it in sight,
    // so that the library closes it: the service is stopping, and the requests received are
    // still answered.
    void endIdle();

  private:
    void watch();
    void sendOutOfTurn(GuardedConnection& connection, int status);
    void endIfClientHasEnded(GuardedConnection& connection);

    ConnectionLimits limits_;
    LogSink log_;
    AccessLog accessLog_;
    mutable std::mutex
        mutex_;  // guards everything below, and writes to the sockets of connections_
    std::condition_variable wake_;
    std::list<GuardedConnection> connections_;
    std::unordered_set<const GuardedConnection*> live_;  // those in connections_
    std::map<std::string, std::size_t> perAddress_;
    bool stopping_ = false;
    std::thread watcher_;
};

}  // namespace quelmarn::service
