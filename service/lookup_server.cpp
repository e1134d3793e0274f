#include "service/lookup_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <microhttpd.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <thread>

#include "platform/ascii.h"
#include "service/error_page.h"
#include "service/log_escape.h"
#include "service/operator_routes.h"
#include "service/request_answer.h"
#include "service/sqlite_no_wait.h"
#include "service/url_unescape.h"

namespace quelmarn::service {

struct LookupServer::Exchange {
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    std::string body;                     // at most kMaxBodyBytes
    std::string client;                   // the address the request came from, for the log
    std::optional<HttpAnswer> fromStore;  // the answer of a lookup done by a store worker
};

namespace {

// The library keeps a request's header and its own record of each field in its memory pool per
// connection, answering 431 itself for a header that does not fit. Twice kMaxHeaderBytes holds
// every header that refusalBeforeBody() takes, and room left to answer one it refuses.
constexpr std::size_t kConnectionMemory = 2 * kMaxHeaderBytes;

constexpr const char* kHtml = "text/html; charset=utf-8";

// What a lookup is told while the database server cannot be reached; the service asks it again
// at the next lookup.
constexpr std::string_view kStoreUnavailable = "查询服务暂时无法连接设备数据库，请稍后重试。";

// Threads that wait for the database on the event loops' behalf. One connection serves every
// lookup of a local file, so a second thread only takes the next lookup while the first renders
// its page; a database server is given as many as the lookups it answers at once.
constexpr std::size_t kStoreWorkers = 2;

// After a lookup on an event loop found the database locked (or failing), how long lookups go
// straight to the store workers.
constexpr auto kNoWaitPause = std::chrono::milliseconds(100);

// When stopping, how long connections that wait for a request are left open.
constexpr auto kIdleGrace = std::chrono::milliseconds(500);

// Event loops, each a thread with its own epoll set sharing the listening socket. FIXME: one
// loop alone (libmicrohttpd 0.9.75) was seen to stop reading its connections, every one with a
// whole request waiting, once about 128 were busy at once, and to resume only at a time-out;
// with four, 1024 busy connections and ten thousand trickling ones are served. Four also let a
// lookup use both cores.
constexpr unsigned kEventLoops = LookupServer::kEventLoops;

std::string addressText(const sockaddr* address) {
    char text[INET6_ADDRSTRLEN] = "";
    if (address->sa_family == AF_INET) {
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(address)->sin_addr, text,
                  sizeof text);
    } else if (address->sa_family == AF_INET6) {
        inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr, text,
                  sizeof text);
    }
    return text;
}

GuardedConnection* guardedOf(MHD_Connection* connection) {
    const auto* info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_SOCKET_CONTEXT);
    return static_cast<GuardedConnection*>(info->socket_context);
}

// The fields of a request's header as the library hands them over.
struct CollectedHeader {
    std::vector<std::pair<std::string_view, std::string_view>>& fields;
    bool folded = false;  // a field line was folded onto the next (RFC 9112 5.2: refused)
};

// libmicrohttpd 0.9.75 takes a field line folded onto the next by appending that line to the
// field's name, which it then keeps elsewhere in the connection's memory; the name of every
// other field lies just before its value, as in the request: the name, where the colon was, the
// blanks and the value.
bool foldedByLibrary(const char* name, const char* value) {
    const auto nameEnd = reinterpret_cast<std::uintptr_t>(name) + std::strlen(name);
    const auto valueStart = reinterpret_cast<std::uintptr_t>(value);
    if (valueStart <= nameEnd || valueStart - nameEnd > kMaxHeaderBytes)
        return true;
    for (const char* between = name + std::strlen(name) + 1; between < value; ++between) {
        if (*between != ' ' && *between != '\t')
            return true;
    }
    return false;
}

MHD_Result collectHeader(void* collected, MHD_ValueKind, const char* name, const char* value) {
    auto& header = *static_cast<CollectedHeader*>(collected);
    header.fields.emplace_back(name, value ? value : "");
    header.folded = header.folded || (value != nullptr && foldedByLibrary(name, value));
    return MHD_YES;
}

// The request's line and header fields, as they are in before its body; nothing when a field
// line was folded, which no reader may take differently from another.
std::optional<HttpRequest> headerOf(MHD_Connection* connection, const char* method,
                                    const char* path, const char* version) {
    HttpRequest request{method, path, version, {}, {}};
    CollectedHeader collected{request.headers};
    MHD_get_connection_values(connection, MHD_HEADER_KIND, collectHeader, &collected);
    if (collected.folded)
        return std::nullopt;
    return request;
}

void queueAnswer(MHD_Connection* connection, const HttpAnswer& answer, bool closeAfter) {
    MHD_Response* response = MHD_create_response_from_buffer(
        answer.page.size(), const_cast<char*>(answer.page.data()), MHD_RESPMEM_MUST_COPY);
    MHD_add_response_header(
        response, MHD_HTTP_HEADER_CONTENT_TYPE,
        answer.contentType.empty() ? kHtml : std::string(answer.contentType).c_str());
    MHD_add_response_header(response, "Content-Security-Policy",
                            "default-src 'none'; style-src 'unsafe-inline'");
    MHD_add_response_header(response, "X-Content-Type-Options", "nosniff");
    if (!answer.allow.empty())
        MHD_add_response_header(response, MHD_HTTP_HEADER_ALLOW, std::string(answer.allow).c_str());
    if (closeAfter)
        MHD_add_response_header(response, MHD_HTTP_HEADER_CONNECTION, "close");
    MHD_queue_response(connection, static_cast<unsigned>(answer.status), response);
    MHD_destroy_response(response);
}

}  // namespace

// The library's callbacks, with access to the server they were registered for.
struct ServerCallbacks {
    static MHD_Result onRequest(void* cls, MHD_Connection* connection, const char* path,
                                const char* method, const char* version, const char* upload,
                                std::size_t* uploadSize, void** context) {
        auto& server = *static_cast<LookupServer*>(cls);
        GuardedConnection* guarded = guardedOf(connection);
        auto* exchange = static_cast<LookupServer::Exchange*>(*context);
        if (exchange == nullptr) {
            // The header is in; refuse now what its header alone rules out, before any body.
            exchange = new LookupServer::Exchange;
            *context = exchange;
            const auto header = headerOf(connection, method, path, version);
            exchange->client = server.clientOf(connection, header.value_or(HttpRequest{}));
            const auto refusal = header ? refusalBeforeBody(*header, *server.hosts_) : 400;
            if (!refusal)
                return MHD_YES;
            const HttpAnswer answer{*refusal, renderErrorPage(*refusal), {}};
            return server.answer(connection, guarded, *exchange, method, path, answer, true)
                       ? MHD_YES
                       : MHD_NO;
        }
        if (*uploadSize != 0) {
            const std::size_t size = *uploadSize;
            *uploadSize = 0;
            if (server.guard_.answeredOutOfTurn(guarded))
                return MHD_YES;  // dropped until the connection closes
            if (exchange->body.size() + size > kMaxBodyBytes) {
                // The library cannot answer while a body is read; the guard can, at once.
                server.guard_.answerOutOfTurn(guarded, 413);
                return MHD_YES;
            }
            exchange->body.append(upload, size);
            return MHD_YES;
        }
        // A connection the guard has answered already (408, 413, 503) gets no lookup: it closes.
        if (server.guard_.answeredOutOfTurn(guarded))
            return MHD_NO;
        if (exchange->fromStore) {
            const HttpAnswer answer = std::move(*exchange->fromStore);
            exchange->fromStore.reset();
            return server.answer(connection, guarded, *exchange, method, path, answer, false)
                       ? MHD_YES
                       : MHD_NO;
        }
        // Its header passed refusalBeforeBody() when it came in.
        const HttpRequest request{method, path, version, {}, exchange->body};
        // The figures, and other methods on the operator's paths, need no database; the health
        // probe asks it, from a store worker as a lookup does.
        const bool healthProbe = isHealthProbe(request);
        if (!healthProbe) {
            if (const auto answer = answerOperatorRoute(request, server.store_, server.figures_)) {
                return server.answer(connection, guarded, *exchange, method, path, *answer, false)
                           ? MHD_YES
                           : MHD_NO;
            }
        }
        const auto serial = serialToLookUp(request);
        if (serial || healthProbe) {
            // The guard's request time no longer runs; the store's wait does.
            if (!server.guard_.answering(guarded))
                return MHD_NO;
            if (const auto answer =
                    serial ? server.lookUpWithoutWaiting(request, *serial) : std::nullopt) {
                return server.answer(connection, guarded, *exchange, method, path, *answer, false)
                           ? MHD_YES
                           : MHD_NO;
            }
            MHD_suspend_connection(connection);
            server.storeWorkers_.submit(
                [&server, body = exchange->body, probe = healthProbe ? std::string(method) : ""] {
                    return probe.empty() ? server.lookUp(body) : server.probeHealth(probe);
                },
                [exchange, connection](HttpAnswer answer) {
                    exchange->fromStore = std::move(answer);
                    MHD_resume_connection(connection);
                });
            return MHD_YES;  // answered once the connection is resumed
        }
        const HttpAnswer answer =
            answerRoute(request, [](std::string_view) -> std::optional<Device> {
                return std::nullopt;  // never asked: serialToLookUp() said no database is needed
            });
        // MHD_NO closes a connection that the guard has answered already.
        return server.answer(connection, guarded, *exchange, method, path, answer, false) ? MHD_YES
                                                                                          : MHD_NO;
    }

    static void onCompleted(void* cls, MHD_Connection* connection, void** context,
                            MHD_RequestTerminationCode) {
        auto& server = *static_cast<LookupServer*>(cls);
        delete static_cast<LookupServer::Exchange*>(*context);
        *context = nullptr;
        server.guard_.answered(guardedOf(connection));
    }

    static void onConnection(void* cls, MHD_Connection* connection, void** socketContext,
                             MHD_ConnectionNotificationCode code) {
        auto& server = *static_cast<LookupServer*>(cls);
        if (code == MHD_CONNECTION_NOTIFY_CLOSED) {
            server.figures_.connectionClosed();
            server.guard_.closed(static_cast<GuardedConnection*>(*socketContext));
            return;
        }
        const int fd =
            MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD)->connect_fd;
        const sockaddr* address =
            MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS)->client_addr;
        server.figures_.connectionOpened();
        *socketContext = server.guard_.accepted(fd, addressText(address));
    }

    static std::size_t onUnescape(void*, MHD_Connection*, char* text) {
        return unescapeUrlKeepingNul(text);
    }

    // The library's own complaints (a malformed request, a failed accept) go to the same log.
    static void onLibraryMessage(void* cls, const char* format, va_list arguments) {
        auto& server = *static_cast<LookupServer*>(cls);
        char message[512];
        std::vsnprintf(message, sizeof message, format, arguments);
        std::string line = "quelmarn-lookupd: ";
        appendEscapedForLog(line, message, sizeof message);
        while (line.ends_with("\\x0A"))
            line.resize(line.size() - 4);
        server.log_(line + "\n");
    }
};

bool LookupServer::answer(MHD_Connection* connection, GuardedConnection* guarded,
                          const Exchange& exchange, const char* method, const char* path,
                          const HttpAnswer& answer, bool closeAfter) {
    if (!guard_.answering(guarded))
        return false;
    queueAnswer(connection, answer, closeAfter || closing_);
    figures_.answered(answer.status);
    if (accessLog_ == AccessLog::kOn)
        log_(formatRequestLogLine(std::time(nullptr), exchange.client, method, path, answer.status,
                                  std::chrono::duration_cast<std::chrono::microseconds>(
                                      std::chrono::steady_clock::now() - exchange.start)));
    return true;
}

std::optional<Device> LookupServer::timedFind(std::string_view serial) {
    const auto start = std::chrono::steady_clock::now();
    try {
        auto device = store_.find(serial);
        figures_.lookedUp(std::chrono::steady_clock::now() - start, device.has_value());
        return device;
    } catch (...) {
        figures_.lookupFailed(std::chrono::steady_clock::now() - start);
        throw;
    }
}

LookupServer::LookupServer(DeviceRegistry& store, LogSink log, ConnectionLimits limits,
                           AccessLog accessLog)
    : store_(store),
      log_(std::move(log)),
      limits_(limits),
      accessLog_(accessLog),
      guard_(limits, log_, accessLog),
      storeWorkers_(std::max(kStoreWorkers, store.parallelLookups()), limits.storeWait,
                    HttpAnswer{503, renderErrorPage(503, "设备数据库正忙，请稍后重试。"), {}}) {}

std::optional<HttpAnswer> LookupServer::lookUpWithoutWaiting(const HttpRequest& request,
                                                             std::string_view serial) {
    // Only a local file answers without waiting; a database server is asked over the network.
    if (!store_.local())
        return std::nullopt;
    const auto start = std::chrono::steady_clock::now();
    const auto now = start.time_since_epoch().count();
    std::unique_lock turn(storeTurn_, std::try_to_lock);
    if (now < noWaitPausedUntil_ || !turn.owns_lock())
        return std::nullopt;
    std::optional<Device> device;
    try {
        const NoWaitScope refusingToWait;
        device = store_.find(serial);
        figures_.lookedUp(std::chrono::steady_clock::now() - start, device.has_value());
    } catch (const std::exception&) {
        // The database is locked, or failing: the store workers find out which, and log it.
        noWaitPausedUntil_ = now + std::chrono::steady_clock::duration(kNoWaitPause).count();
        return std::nullopt;
    }
    turn.unlock();
    noteDatabaseUse(true);
    return answerRoute(request, [&device](std::string_view) { return device; });
}

HttpAnswer LookupServer::lookUp(const std::string& body) {
    try {
        HttpAnswer answer = answerRoute(HttpRequest{"POST", "/inapp.php", "HTTP/1.1", {}, body},
                                        [this](std::string_view serial) {
                                            // A server's pool serves several lookups at once.
                                            std::unique_lock turn(storeTurn_, std::defer_lock);
                                            if (store_.local())
                                                turn.lock();
                                            return timedFind(serial);
                                        });
        noteDatabaseUse(true);
        return answer;
    } catch (const StoreUnavailable& error) {
        // The server is away for now, not lost: the service stays up and asks it again.
        log_(std::string("处理请求时出错：") + error.what() + "\n");
        return HttpAnswer{503, renderErrorPage(503, kStoreUnavailable), {}};
    } catch (const std::exception& error) {
        log_(std::string("处理请求时出错：") + error.what() + "\n");
        noteDatabaseUse(false);
        return HttpAnswer{500, renderErrorPage(500), {}};
    }
}

HttpAnswer LookupServer::probeHealth(const std::string& method) {
    return *answerOperatorRoute(HttpRequest{method, kHealthPath, "HTTP/1.1", {}, {}}, store_,
                                figures_);
}

void LookupServer::noteDatabaseUse(bool succeeded) {
    if (succeeded && !failing_)
        return;  // the usual case, without a lock
    const auto now = std::chrono::steady_clock::now();
    const std::lock_guard lock(failureMutex_);
    failing_ = !succeeded;
    if (succeeded) {
        failingSince_.reset();
        return;
    }
    if (!failingSince_)
        failingSince_ = now;
    if (now - *failingSince_ >= limits_.storeLostAfter && !databaseLost_.exchange(true)) {
        log_("quelmarn-lookupd: 数据库持续无法使用，服务退出，以便重新启动\n");
        stop();
    }
}

std::string LookupServer::clientOf(MHD_Connection* connection, const HttpRequest& header) const {
    const std::string peer = addressText(
        MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS)->client_addr);
    std::vector<std::string_view> forwardedFor;
    for (const auto& [name, value] : header.headers) {
        if (platform::equalsIgnoringAsciiCase(name, "X-Forwarded-For"))
            forwardedFor.push_back(value);
    }
    return limits_.trustedProxies.clientOf(peer, forwardedFor);
}

LookupServer::~LookupServer() {
    if (listenSocket_ >= 0)
        ::close(listenSocket_);
}

std::optional<int> LookupServer::bind(const std::string& host, int port,
                                      const std::vector<std::string>& serverNames) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0)
        return std::nullopt;
    const std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> addresses(found, freeaddrinfo);
    const int fd = ::socket(found->ai_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return std::nullopt;
    // SO_REUSEADDR, not SO_REUSEPORT: a second service on the same port must fail, not share it.
    const int yes = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_storage bound{};
    socklen_t boundSize = sizeof bound;
    if (::bind(fd, found->ai_addr, found->ai_addrlen) != 0 || ::listen(fd, SOMAXCONN) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &boundSize) != 0) {
        ::close(fd);
        return std::nullopt;
    }
    listenSocket_ = fd;
    const int boundPort =
        ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port
                                          : reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
    hosts_.emplace(host, boundPort, serverNames);
    ipv6_ = bound.ss_family == AF_INET6;
    return boundPort;
}

LookupServer::End LookupServer::serve() {
    // Idle connections, and clients that take no answer, are closed by the library a little
    // after a request's time; requests still being received are answered 408 by the guard.
    const auto idleSeconds = static_cast<unsigned>(
        std::chrono::duration_cast<std::chrono::seconds>(limits_.requestTime).count() + 1);
    const unsigned flags = MHD_USE_EPOLL_INTERNAL_THREAD | MHD_ALLOW_SUSPEND_RESUME |
                           MHD_USE_ERROR_LOG | (ipv6_ ? MHD_USE_IPv6 : 0) |
                           (tls_ != nullptr ? MHD_USE_TLS : 0);
    // Each handshake asks the credentials for the pair in use, so that a renewed certificate
    // needs no restart.
    TlsCredentials::serveFrom(tls_);
    MHD_OptionItem tlsOptions[] = {
        {MHD_OPTION_HTTPS_CERT_CALLBACK, 0, reinterpret_cast<void*>(&TlsCredentials::retrieve)},
        {MHD_OPTION_HTTPS_PRIORITIES, 0, const_cast<char*>(TlsCredentials::kPriorities)},
        {MHD_OPTION_END, 0, nullptr},
    };
    MHD_Daemon* daemon = MHD_start_daemon(
        flags, 0, nullptr, nullptr, &ServerCallbacks::onRequest, this,
        // First, so that the library's messages about the other options reach the log too.
        MHD_OPTION_EXTERNAL_LOGGER, &ServerCallbacks::onLibraryMessage, this,
        MHD_OPTION_LISTEN_SOCKET, listenSocket_, MHD_OPTION_THREAD_POOL_SIZE, kEventLoops,
        MHD_OPTION_CONNECTION_LIMIT,
        static_cast<unsigned>(limits_.connections + limits_.answeredOverLimit),
        MHD_OPTION_CONNECTION_MEMORY_LIMIT, kConnectionMemory, MHD_OPTION_CONNECTION_TIMEOUT,
        idleSeconds, MHD_OPTION_NOTIFY_COMPLETED, &ServerCallbacks::onCompleted, this,
        MHD_OPTION_NOTIFY_CONNECTION, &ServerCallbacks::onConnection, this,
        // A zero byte decoded into the path would end it early. The library's strict mode is
        // not used: in 0.9.75 it still takes folded lines and bare CRs (refusalBeforeBody()
        // refuses them) and answers a missing Host with its status line twice.
        MHD_OPTION_UNESCAPE_CALLBACK, &ServerCallbacks::onUnescape, nullptr, MHD_OPTION_ARRAY,
        tls_ != nullptr ? tlsOptions : &tlsOptions[2], MHD_OPTION_END);
    if (daemon == nullptr)
        return End::kNotStarted;
    listenSocket_ = -1;  // the library closes it when it stops
    {
        std::unique_lock lock(mutex_);
        stopped_.wait(lock, [this] { return stopRequested_; });
    }
    finishReceivedRequests(daemon);
    // Lookups still waiting for the database are answered, so that none stays suspended.
    storeWorkers_.stop();
    MHD_stop_daemon(daemon);
    return databaseLost_ ? End::kDatabaseLost : End::kStopped;
}

void LookupServer::finishReceivedRequests(MHD_Daemon* daemon) {
    const int listening = MHD_quiesce_daemon(daemon);
    if (listening >= 0) {
        // Clients the system has connected already have sent their requests, or are about to:
        // they are served too. Those that come later are refused, not left in the backlog.
        ::fcntl(listening, F_SETFL, ::fcntl(listening, F_GETFL) | O_NONBLOCK);
        sockaddr_storage address{};
        socklen_t size = sizeof address;
        for (int client; (client = ::accept4(listening, reinterpret_cast<sockaddr*>(&address),
                                             &size, SOCK_NONBLOCK | SOCK_CLOEXEC)) >= 0;
             size = sizeof address)
            MHD_add_connection(daemon, client, reinterpret_cast<sockaddr*>(&address), size);
        ::close(listening);
    }
    closing_ = true;
    // Clients busy on a kept-alive connection learn from their next answer that it closes; a
    // connection still idle after kIdleGrace is closed under its client, which, by RFC 9112
    // 9.3.1, may then retry its request elsewhere.
    const auto start = std::chrono::steady_clock::now();
    for (auto now = start; guard_.openConnections() > 0 && now < start + kStopGrace;
         now = std::chrono::steady_clock::now()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (now >= start + kIdleGrace)
            guard_.endIdle();
    }
}

void LookupServer::stop() {
    {
        const std::lock_guard lock(mutex_);
        stopRequested_ = true;
    }
    stopped_.notify_all();
}

}  // namespace quelmarn::service
