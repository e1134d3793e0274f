#include "service/connection_guard.h"

#include <sys/socket.h>

#include <ctime>
#include <vector>

#include "service/accepted_hosts.h"
#include "service/error_page.h"

namespace quelmarn::service {

enum class Phase {
    kReceiving,  // a request's header or body is on its way; its time runs
    kAnswering,  // the library has the whole request and answers it
    kOutOfTurn,  // the guard answered; bytes are dropped until the linger ends
};

struct GuardedConnection {
    int fd = -1;
    std::string peer;
    bool countedPerAddress = false;
    Phase phase = Phase::kReceiving;
    std::chrono::steady_clock::time_point deadline;  // of the request time, or of the linger
    // When to look whether the client has ended its side without sending another request.
    std::chrono::steady_clock::time_point endCheck = std::chrono::steady_clock::time_point::max();
    std::list<GuardedConnection>::iterator self;
};

namespace {

// How often the watch thread looks for connections past their time; a request time is thus
// kept to within this much.
constexpr auto kWatchInterval = std::chrono::milliseconds(100);
// How many connections past their time the watch thread answers before it lets others at the
// guard again.
constexpr std::size_t kDueBatch = 32;

std::string_view reasonPhrase(int status) {
    switch (status) {
        case 408:
            return "Request Timeout";
        case 413:
            return "Content Too Large";
        case 503:
            return "Service Unavailable";
        default:
            return "Bad Request";
    }
}

// The whole answer the guard writes, the same page the library would send for `status`.
std::string outOfTurnAnswer(int status) {
    const std::string page = renderErrorPage(status);
    std::string answer = "HTTP/1.1 " + std::to_string(status) + " " +
                         std::string(reasonPhrase(status)) +
                         "\r\nContent-Type: text/html; charset=utf-8"
                         "\r\nContent-Length: " +
                         std::to_string(page.size()) + "\r\nConnection: close\r\n\r\n";
    return answer + page;
}

}  // namespace

ConnectionGuard::ConnectionGuard(ConnectionLimits limits, LogSink log, AccessLog accessLog)
    : limits_(std::move(limits)),
      log_(std::move(log)),
      accessLog_(accessLog),
      watcher_([this] { watch(); }) {}

ConnectionGuard::~ConnectionGuard() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    watcher_.join();
}

GuardedConnection* ConnectionGuard::accepted(int fd, const std::string& address) {
    const std::lock_guard lock(mutex_);
    auto& connection = connections_.emplace_back();
    connection.fd = fd;
    connection.peer = address;
    connection.self = std::prev(connections_.end());
    live_.insert(&connection);
    connection.deadline = std::chrono::steady_clock::now() + limits_.requestTime;
    bool overLimit = connections_.size() > limits_.connections;
    if (!isLoopbackAddress(address) && !limits_.trustedProxies.contains(address)) {
        connection.countedPerAddress = true;
        overLimit = ++perAddress_[address] > limits_.connectionsPerAddress || overLimit;
    }
    if (overLimit)
        sendOutOfTurn(connection, 503);
    return &connection;
}

bool ConnectionGuard::answering(GuardedConnection* connection) {
    const std::lock_guard lock(mutex_);
    if (connection->phase == Phase::kOutOfTurn)
        return false;
    connection->phase = Phase::kAnswering;
    connection->endCheck = std::chrono::steady_clock::time_point::max();
    return true;
}

void ConnectionGuard::answered(GuardedConnection* connection) {
    const std::lock_guard lock(mutex_);
    if (connection->phase != Phase::kAnswering)
        return;
    connection->phase = Phase::kReceiving;
    const auto now = std::chrono::steady_clock::now();
    connection->deadline = now + limits_.requestTime;
    connection->endCheck = now + kWatchInterval;
}

bool ConnectionGuard::answerOutOfTurn(GuardedConnection* connection, int status) {
    const std::lock_guard lock(mutex_);
    if (connection->phase != Phase::kReceiving)
        return false;
    sendOutOfTurn(*connection, status);
    return true;
}

bool ConnectionGuard::answeredOutOfTurn(const GuardedConnection* connection) const {
    const std::lock_guard lock(mutex_);
    return connection->phase == Phase::kOutOfTurn;
}

void ConnectionGuard::closed(GuardedConnection* connection) {
    const std::lock_guard lock(mutex_);
    if (connection->countedPerAddress) {
        const auto count = perAddress_.find(connection->peer);
        if (--count->second == 0)
            perAddress_.erase(count);
    }
    live_.erase(connection);
    connections_.erase(connection->self);
}

std::size_t ConnectionGuard::openConnections() const {
    const std::lock_guard lock(mutex_);
    return connections_.size();
}

void ConnectionGuard::endIdle() {
    const std::lock_guard lock(mutex_);
    for (auto& connection : connections_) {
        char next = 0;
        if (connection.phase == Phase::kReceiving &&
            ::recv(connection.fd, &next, 1, MSG_PEEK | MSG_DONTWAIT) <= 0)
            ::shutdown(connection.fd, SHUT_RDWR);
    }
}

void ConnectionGuard::sendOutOfTurn(GuardedConnection& connection, int status) {
    static const std::string kAnswers[] = {outOfTurnAnswer(408), outOfTurnAnswer(413),
                                           outOfTurnAnswer(503)};
    const std::string& answer = kAnswers[status == 408 ? 0 : status == 413 ? 1 : 2];
    // The library writes nothing while a request is being received, so these bytes cannot mix
    // with its own; a new socket's buffer takes an error page whole, and a client that has
    // filled it gets nothing, which it has earned.
    [[maybe_unused]] const ssize_t sent =
        ::send(connection.fd, answer.data(), answer.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    ::shutdown(connection.fd, SHUT_WR);
    connection.phase = Phase::kOutOfTurn;
    connection.deadline = std::chrono::steady_clock::now() + limits_.linger;
    if (accessLog_ == AccessLog::kOn)
        log_(formatRequestLogLine(std::time(nullptr), connection.peer, "-", "-", status,
                                  std::nullopt));
}

void ConnectionGuard::endIfClientHasEnded(GuardedConnection& connection) {
    connection.endCheck = std::chrono::steady_clock::time_point::max();
    // A client that half-closed right after its last request: the library read the end of the
    // stream together with the request and waits for the socket to say more, which it never
    // does. No further request has been answered since, and the library holds none back that
    // long: ending both directions wakes it up to close the connection.
    char next = 0;
    if (connection.phase == Phase::kReceiving &&
        ::recv(connection.fd, &next, 1, MSG_PEEK | MSG_DONTWAIT) == 0)
        ::shutdown(connection.fd, SHUT_RDWR);
}

void ConnectionGuard::watch() {
    std::unique_lock lock(mutex_);
    while (!wake_.wait_for(lock, kWatchInterval, [this] { return stopping_; })) {
        const auto now = std::chrono::steady_clock::now();
        std::vector<GuardedConnection*> due;
        for (auto& connection : connections_) {
            if (connection.deadline <= now || connection.endCheck <= now)
                due.push_back(&connection);
        }
        // Many connections can fall due at once (clients that all started together): let the
        // event loop in between small batches, so that it does not wait for all of them.
        for (std::size_t at = 0; at < due.size(); ++at) {
            if (at % kDueBatch == 0 && at != 0) {
                lock.unlock();
                std::this_thread::yield();
                lock.lock();
            }
            // Looked up again: the connection may have closed while the lock was let go, and
            // its memory may since hold a newer one, whose deadline then lies ahead.
            GuardedConnection* connection = due[at];
            if (!live_.contains(connection))
                continue;
            if (connection->endCheck <= now)
                endIfClientHasEnded(*connection);
            if (connection->deadline > now)
                continue;
            if (connection->phase == Phase::kReceiving) {
                sendOutOfTurn(*connection, 408);
            } else if (connection->phase == Phase::kOutOfTurn) {
                // The library reads the end of the stream and closes the connection.
                ::shutdown(connection->fd, SHUT_RD);
                connection->deadline = std::chrono::steady_clock::time_point::max();
            }
        }
    }
}

}  // namespace quelmarn::service
