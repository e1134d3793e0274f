#include "service/lookup_server.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <ctime>

#include "service/error_page.h"
#include "service/log_escape.h"
#include "service/operator_routes.h"
#include "service/request_answer.h"

namespace quelmarn::service {

struct LookupServer::Exchange {
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    std::string body;  // at most kMaxBodyBytes
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

// Event loops, each a thread with its own epoll set sharing the listening socket. FIXME: one
// loop alone (libmicrohttpd 0.9.75) was seen to stop reading its connections, every one with a
// whole request waiting, once about 128 were busy at once, and to resume only at a time-out;
// with four, 1024 busy connections and ten thousand trickling ones are served. Four also let a
// lookup use both cores.
constexpr unsigned kEventLoops = 4;

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

MHD_Result collectHeader(void* headers, MHD_ValueKind, const char* name, const char* value) {
    static_cast<std::vector<std::pair<std::string_view, std::string_view>>*>(headers)->emplace_back(
        name, value ? value : "");
    return MHD_YES;
}

// The request's line and header fields, as they are in before its body.
HttpRequest headerOf(MHD_Connection* connection, const char* method, const char* path,
                     const char* version) {
    HttpRequest request{method, path, version, {}, {}};
    MHD_get_connection_values(connection, MHD_HEADER_KIND, collectHeader, &request.headers);
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
            const auto refusal =
                refusalBeforeBody(headerOf(connection, method, path, version), *server.hosts_);
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
        // Its header passed refusalBeforeBody() when it came in.
        const HttpRequest request{method, path, version, {}, exchange->body};
        HttpAnswer answer;
        try {
            auto operatorAnswer = answerOperatorRoute(request, server.store_, server.figures_);
            answer = operatorAnswer ? std::move(*operatorAnswer)
                                    : answerRoute(request, [&server](std::string_view serial) {
                                          return server.timedFind(serial);
                                      });
        } catch (const StoreUnavailable& error) {
            server.log_(std::string("处理请求时出错：") + error.what() + "\n");
            answer = HttpAnswer{503, renderErrorPage(503, kStoreUnavailable), {}};
        } catch (const std::exception& error) {
            server.log_(std::string("处理请求时出错：") + error.what() + "\n");
            answer = HttpAnswer{500, renderErrorPage(500), {}};
        }
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
    queueAnswer(connection, answer, closeAfter);
    figures_.answered(answer.status);
    log_(formatRequestLogLine(std::time(nullptr), method, path, answer.status,
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

LookupServer::LookupServer(DeviceRegistry& store, LogSink log, ConnectionLimits limits)
    : store_(store), log_(std::move(log)), limits_(limits), guard_(limits, log_) {}

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

bool LookupServer::serve() {
    // Idle connections, and clients that take no answer, are closed by the library a little
    // after a request's time; requests still being received are answered 408 by the guard.
    const auto idleSeconds = static_cast<unsigned>(
        std::chrono::duration_cast<std::chrono::seconds>(limits_.requestTime).count() + 1);
    const unsigned flags = MHD_USE_EPOLL_INTERNAL_THREAD | MHD_USE_ITC | MHD_USE_ERROR_LOG |
                           (ipv6_ ? MHD_USE_IPv6 : 0) | (tls_ != nullptr ? MHD_USE_TLS : 0);
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
        MHD_OPTION_CONNECTION_LIMIT, static_cast<unsigned>(limits_.connections + kOverLimitMargin),
        MHD_OPTION_CONNECTION_MEMORY_LIMIT, kConnectionMemory, MHD_OPTION_CONNECTION_TIMEOUT,
        idleSeconds, MHD_OPTION_NOTIFY_COMPLETED, &ServerCallbacks::onCompleted, this,
        MHD_OPTION_NOTIFY_CONNECTION, &ServerCallbacks::onConnection, this, MHD_OPTION_ARRAY,
        tls_ != nullptr ? tlsOptions : &tlsOptions[2], MHD_OPTION_END);
    if (daemon == nullptr)
        return false;
    listenSocket_ = -1;  // the library closes it when it stops
    {
        std::unique_lock lock(mutex_);
        stopped_.wait(lock, [this] { return stopRequested_; });
    }
    MHD_stop_daemon(daemon);
    return true;
}

void LookupServer::stop() {
    {
        const std::lock_guard lock(mutex_);
        stopRequested_ = true;
    }
    stopped_.notify_all();
}

}  // namespace quelmarn::service
