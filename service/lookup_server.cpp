#include "service/lookup_server.h"

#include <httplib.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <thread>

#include "service/calendar_date.h"
#include "service/device_pages.h"
#include "service/error_page.h"
#include "service/help_page.h"
#include "service/lookup_body.h"

namespace quelmarn::service {

namespace {

constexpr const char* kHtml = "text/html; charset=utf-8";
constexpr std::size_t kMaxBodyBytes = 4096;
constexpr time_t kReadTimeoutSeconds = 5;
constexpr time_t kWriteTimeoutSeconds = 5;
// httplib gives each open connection a worker of its own until it closes, and queues the
// connections beyond that. 64 keeps the queue empty for as many concurrent clients (a load test,
// stalled clients); the workers mostly wait on sockets, so two cores serve them all.
constexpr std::size_t kWorkerThreads = 64;
constexpr time_t kKeepAliveSeconds = 2;
constexpr std::size_t kRequestsPerConnection = 100;

struct Route {
    std::string_view path;
    std::string_view method;  // the one method the path answers; HEAD goes with GET
    std::string_view allow;   // for 405's Allow header
};

constexpr Route kLookupRoute{"/inapp.php", "POST", "POST"};
constexpr Route kHelpRoute{"/kb/HT1349", "GET", "GET, HEAD"};
constexpr std::array kRoutes{kLookupRoute, kHelpRoute};

// When the request on this worker thread began, for the log line; reset once logged, so a
// request refused before routing (a malformed request line) is logged as untimed.
thread_local std::optional<std::chrono::steady_clock::time_point> requestStart;

void answerPage(httplib::Response& response, int status, std::string page) {
    response.status = status;
    response.set_content(std::move(page), kHtml);
}

void answerMethodNotAllowed(httplib::Response& response, const Route& route) {
    response.set_header("Allow", std::string(route.allow));
    answerPage(response, 405,
               renderErrorPage(405, "这个地址只接受 " + std::string(route.allow) + " 请求。"));
}

std::string_view explain(LookupBodyError error) {
    switch (error) {
        case LookupBodyError::kMissingPrefix:
            return "请求内容应当以 “sn=” 开头，后面紧跟序列号。";
        case LookupBodyError::kEmptySerial:
            return "序列号为空，请输入序列号后再查询。";
        case LookupBodyError::kInvalidUtf8:
            return "序列号不是有效的 UTF-8 文本。";
    }
    return {};
}

// httplib routes only these methods itself; it reads a body for those that may carry one.
bool isRoutedMethod(const std::string& method) {
    static const std::array<std::string, 7> kRouted{"GET",   "HEAD",   "POST",   "PUT",
                                                    "PATCH", "DELETE", "OPTIONS"};
    return std::find(kRouted.begin(), kRouted.end(), method) != kRouted.end();
}

const Route* findRoute(std::string_view path) {
    const auto route = std::find_if(kRoutes.begin(), kRoutes.end(),
                                    [path](const Route& r) { return r.path == path; });
    return route == kRoutes.end() ? nullptr : &*route;
}

// httplib matches paths as regular expressions; this one matches `path` and nothing else.
std::string exactPattern(std::string_view path) {
    std::string pattern;
    for (const char c : path) {
        if (std::string_view(R"(.^$|()[]{}*+?\)").find(c) != std::string_view::npos) {
            pattern += '\\';
        }
        pattern += c;
    }
    return pattern;
}

// Registers 405 answers for the methods that httplib routes and `route` does not take.
void rejectOtherMethods(httplib::Server& http, const Route& route) {
    const auto reject = [&route](const httplib::Request&, httplib::Response& response) {
        answerMethodNotAllowed(response, route);
    };
    const std::string pattern = exactPattern(route.path);
    if (route.method != "GET")
        http.Get(pattern, reject);
    if (route.method != "POST")
        http.Post(pattern, reject);
    http.Put(pattern, reject);
    http.Patch(pattern, reject);
    http.Delete(pattern, reject);
    http.Options(pattern, reject);
}

// Like httplib's own defaults, but without SO_REUSEPORT, which would let a second service bind
// the same port silently instead of failing; and without Nagle, as a response goes out as a
// header write and a body write that Nagle would hold back for the client's delayed ACK.
void setSocketOptions(int socket) {
    const int yes = 1;
    setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
}

// Time-outs, limits and threads: what keeps one client from holding up the others.
void limitConnections(httplib::Server& http) {
    http.new_task_queue = [] { return new httplib::ThreadPool(kWorkerThreads); };
    http.set_socket_options(setSocketOptions);
    http.set_read_timeout(kReadTimeoutSeconds);
    http.set_write_timeout(kWriteTimeoutSeconds);
    http.set_keep_alive_timeout(kKeepAliveSeconds);
    http.set_keep_alive_max_count(kRequestsPerConnection);
    http.set_payload_max_length(kMaxBodyBytes);
    http.set_default_headers({
        {"Content-Security-Policy", "default-src 'none'; style-src 'unsafe-inline'"},
        {"X-Content-Type-Options", "nosniff"},
    });
}

void answerLookup(DeviceStore& store, const httplib::Request& request,
                  httplib::Response& response) {
    // The body is read raw whatever the Content-Type says: "sn=" and the serial's bytes.
    const auto parsed = parseLookupBody(request.body);
    if (const auto* error = std::get_if<LookupBodyError>(&parsed)) {
        answerPage(response, 400, renderErrorPage(400, explain(*error)));
        return;
    }
    const std::string_view serial = std::get<std::string_view>(parsed);
    if (const auto device = store.find(serial)) {
        answerPage(response, 200, renderDevicePage(*device, localToday()));
    } else {
        answerPage(response, 404, renderNotRegisteredPage(serial));
    }
}

// Answers the methods that httplib does not route (TRACE, CONNECT and the like) before it
// routes: they carry no body, so none is left unread on the connection.
httplib::Server::HandlerResponse answerUnroutedMethod(const httplib::Request& request,
                                                      httplib::Response& response) {
    if (isRoutedMethod(request.method))
        return httplib::Server::HandlerResponse::Unhandled;
    if (const Route* route = findRoute(request.path)) {
        answerMethodNotAllowed(response, *route);
    } else {
        answerPage(response, 404, renderErrorPage(404));
    }
    return httplib::Server::HandlerResponse::Handled;
}

void addRoutes(httplib::Server& http, DeviceStore& store) {
    http.Post(exactPattern(kLookupRoute.path),
              [&store](const httplib::Request& request, httplib::Response& response) {
                  answerLookup(store, request, response);
              });
    http.Get(exactPattern(kHelpRoute.path),
             [](const httplib::Request&, httplib::Response& response) {
                 answerPage(response, 200, std::string(helpPage()));
             });
    rejectOtherMethods(http, kLookupRoute);
    rejectOtherMethods(http, kHelpRoute);
    http.set_pre_routing_handler([](const httplib::Request& request, httplib::Response& response) {
        requestStart = std::chrono::steady_clock::now();
        return answerUnroutedMethod(request, response);
    });
}

// Answers that httplib makes itself (unknown path, body too long, malformed request) get a page
// too, and so does a failed lookup; the handlers' own pages are left as they are.
void addErrorPages(httplib::Server& http, const LogSink& log) {
    http.set_error_handler(httplib::Server::HandlerWithResponse(
        [](const httplib::Request&, httplib::Response& response) {
            if (!response.body.empty())
                return httplib::Server::HandlerResponse::Unhandled;
            response.set_content(renderErrorPage(response.status), kHtml);
            return httplib::Server::HandlerResponse::Handled;
        }));
    http.set_exception_handler(
        [log](const httplib::Request&, httplib::Response& response, std::exception_ptr thrown) {
            try {
                std::rethrow_exception(thrown);
            } catch (const std::exception& error) {
                log(std::string("处理请求时出错：") + error.what() + "\n");
            } catch (...) {
                log("处理请求时出错：未知异常\n");
            }
            answerPage(response, 500, renderErrorPage(500));
        });
}

void addRequestLog(httplib::Server& http, const LogSink& log) {
    http.set_logger([log](const httplib::Request& request, const httplib::Response& response) {
        std::optional<std::chrono::microseconds> elapsed;
        if (requestStart) {
            elapsed = std::chrono::duration_cast<std::chrono::microseconds>(
                std::chrono::steady_clock::now() - *requestStart);
            requestStart.reset();
        }
        log(formatRequestLogLine(std::time(nullptr), request.method, request.path, response.status,
                                 elapsed));
    });
}

}  // namespace

// httplib listens with a backlog of 5, fixed when the library was built. A burst of new
// connections overflows that, and the kernel then drops SYNs that the clients resend only a
// second later. listen(2) on a listening socket changes its backlog (Linux), so widen it.
class HttpServer final : public httplib::Server {
  public:
    void widenBacklog() { ::listen(svr_sock_, SOMAXCONN); }
};

LookupServer::LookupServer(DeviceStore& store, LogSink log)
    : http_(std::make_unique<HttpServer>()) {
    limitConnections(*http_);
    addRoutes(*http_, store);
    addErrorPages(*http_, log);
    addRequestLog(*http_, log);
}

LookupServer::~LookupServer() = default;

std::optional<int> LookupServer::bind(const std::string& host, int port) {
    const int bound =
        port == 0 ? http_->bind_to_any_port(host) : (http_->bind_to_port(host, port) ? port : -1);
    if (bound <= 0)
        return std::nullopt;
    http_->widenBacklog();
    return bound;
}

bool LookupServer::serve() {
    const bool served = http_->listen_after_bind();
    finished_ = true;
    return served;
}

void LookupServer::stop() {
    // httplib ignores a stop before its accept loop runs, which would leave serve() running.
    while (!http_->is_running() && !finished_)
        std::this_thread::yield();
    http_->stop();
}

}  // namespace quelmarn::service
