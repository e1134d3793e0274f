// The lookup service end to end over real HTTP on loopback, each test with a server and a
// database (the sample devices) of its own: what each request is answered, also when clients
// break the rules (oversized or trickled requests, doubtful framing, foreign Host names, too
// many connections), and when the database fails under the server.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <future>
#include <memory>
#include <regex>
#include <span>
#include <thread>

#include "service/connection_guard.h"
#include "service/sqlite_no_wait.h"
#include "tests/service/database_files.h"
#include "tests/service/http_client.h"
#include "tests/service/running_server.h"

namespace quelmarn::service {
namespace {

using namespace std::chrono_literals;
using std::chrono::steady_clock;
using std::chrono::year;
using testing_support::HttpResponse;
using testing_support::lookUp;
using testing_support::parseResponses;
using testing_support::RawConnection;
using testing_support::RunningServer;
using testing_support::statusOf;

// Short enough to keep the tests quick, long enough for a loaded machine to be in time.
constexpr auto kRequestTime = 800ms;
const std::string kSerial = "sn=QX2K93HT7LMP";
const std::string kHelpText = "/sys/class/dmi/id/product_serial";

const ConnectionLimits kLimits{
    .connections = 48, .trustedProxies = {}, .requestTime = kRequestTime, .linger = 200ms};

// `part` `count` times over.
std::string times(int count, std::string_view part) {
    std::string text;
    while (count-- > 0)
        text += part;
    return text;
}

class ServerTest : public ::testing::Test {
  protected:
    RunningServer server_{kLimits};
    const int port_ = server_.port;
    const std::string host_ = "Host: 127.0.0.1:" + std::to_string(port_) + "\r\n";

    // POST /inapp.php with Host, `fields` and then `rest`, as is: no Connection: close.
    std::string post(std::string_view fields, std::string_view rest) const {
        return "POST /inapp.php HTTP/1.1\r\n" + host_ + std::string(fields) + "\r\n" +
               std::string(rest);
    }
    // A request after which the service closes the connection (requestText()).
    std::string closing(std::string_view method, std::string_view path, std::string_view body = {},
                        std::string_view fields = {}) const {
        return testing_support::requestText(port_, method, path, body, fields);
    }
    // A lookup, as closing() makes it.
    std::string lookup(std::string_view body, std::string_view fields = {}) const {
        return closing("POST", "/inapp.php", body, fields);
    }
    // A lookup in `version` with `host` ("" for no Host field) as its Host.
    std::string hostIs(std::string_view version, const std::string& host) const {
        return "POST /inapp.php " + std::string(version) + "\r\n" +
               (host.empty() ? "" : "Host: " + host + "\r\n") +
               "Connection: close\r\nContent-Length: 15\r\n\r\n" + kSerial;
    }
};

// What is sent on one connection, and what must come back before the service closes it.
struct Exchange {
    std::string sent;
    std::vector<int> statuses;  // of the answers, in order
    std::string shows = {};     // in the last answer's page; for a 405 its Allow field
    bool halfClose = false;     // shutdown(SHUT_WR) once sent
};

// The answers to `exchange` on a connection of its own, which must have their statuses and
// come at once: one not given before the request time would be a 408.
std::vector<HttpResponse> answersTo(int port, const Exchange& exchange) {
    SCOPED_TRACE(exchange.sent.substr(0, 90));
    RawConnection connection(port);
    connection.send(exchange.sent);
    if (exchange.halfClose)
        connection.finishSending();
    auto responses = parseResponses(connection.receiveAll(2s), exchange.sent.starts_with("HEAD "));
    EXPECT_TRUE(connection.closed());
    std::vector<int> statuses;
    for (const auto& response : responses)
        statuses.push_back(response.status);
    EXPECT_EQ(statuses, exchange.statuses);
    return statuses == exchange.statuses ? responses : std::vector<HttpResponse>{};
}

// answersTo() each of `cases`, whose last answers must be pages of the service that show what
// the case says and nothing of what was asked unescaped; how many answers came.
std::size_t answerPagesTo(int port, std::span<const Exchange> cases) {
    std::size_t answers = 0;
    for (const auto& exchange : cases) {
        SCOPED_TRACE(exchange.sent.substr(0, 90));
        const auto responses = answersTo(port, exchange);
        answers += responses.size();
        if (responses.empty())
            continue;
        EXPECT_FALSE(responses.back().bodyHas("<script") || responses.back().bodyHas("<img"));
        EXPECT_EQ(responses.back().header("Content-Type"), "text/html; charset=utf-8");
        if (responses.back().status == 405)
            EXPECT_EQ(responses.back().header("Allow"), exchange.shows);
        else
            EXPECT_TRUE(responses.back().bodyHas(exchange.shows));
    }
    return answers;
}

// The status of GET /kb/HT1349, the help page, which needs no database; `fields` as in
// requestText().
int helpPageStatus(int port, std::string_view fields = {}) {
    return statusOf(testing_support::exchange(
        port, testing_support::requestText(port, "GET", "/kb/HT1349", "", fields)));
}

TEST_F(ServerTest, EachRequestIsAnsweredItsPageEachLoggedAndTheServiceGoesOn) {
    const std::string at = ":" + std::to_string(port_);
    const std::string smuggled = "POST /inapp.php HTTP/1.1\r\n\r\n";
    const std::string odd = "sn= A&b=1 %41+x ";  // found only as these very bytes
    server_.store.saveAll(std::vector{Device{odd.substr(3), "型号", "X1", year(2012) / 6 / 11,
                                             year(2099) / 6 / 10, "<img src=x onerror=y>"}});
    const Exchange cases[] = {
        // Lookups, whatever the body's type; the devices and unknown serials shown escaped.
        {lookup(kSerial, "Content-Type: application/x-www-form-urlencoded\r\n"), {200}, "15,1"},
        {lookup(kSerial, "Content-Type: text/plain\r\n"), {200}, "笔记本电脑 15 英寸"},
        {lookup(kSerial), {200}, "2023 年 3 月 14 日"},
        {lookup("sn=\"'<script>&amp;"), {404}, "&quot;&#39;&lt;script&gt;&amp;amp;"},
        {lookup(odd), {200}, "&lt;img src=x onerror=y&gt;"},
        {lookup("sn=A&b=1 %41+x"), {404}},
        {lookup("sn= A&b=1 AA+x "), {404}},
        {lookup("sn= A&b=1 %41 x "), {404}},
        // What may be asked, and where.
        {lookup("SN=QX2K93HT7LMP"), {400}, "sn="},
        {lookup(""), {400}, "sn="},
        {lookup("sn="), {400}, "序列号为空"},
        {lookup("sn=AB\xC3\x28"), {400}, "UTF-8"},
        {lookup("sn=" + std::string(4093, 'A')), {404}, "未找到该序列号"},
        {lookup("sn=" + std::string(4094, 'A')), {413}, "4 KiB"},
        {closing("GET", "/"), {404}},
        {closing("GET", "/kb/HT1349/more"), {404}},
        {closing("POST", "/inapp.php/", "sn=A"), {404}},
        {closing("POST", "/inappXphp", "sn=A"), {404}},
        {closing("TRACE", "/nowhere"), {404}},
        {closing("GET", "/inapp.php"), {405}, "POST"},
        {closing("HEAD", "/inapp.php"), {405}, "POST"},
        {closing("POST", "/kb/HT1349", "sn=A"), {405}, "GET, HEAD"},
        {closing("GET", "/kb/HT1349?viewlocale=zh_CN"), {200}, kHelpText},
        {closing("GET", "/inapp.php", "", "X-Long: " + times(6000, "a") + "\r\n"), {405}, "POST"},
        // The Host must name the service itself; HTTP/1.0 clients may leave it out.
        {hostIs("HTTP/1.1", "127.0.0.1" + at), {200}},
        {hostIs("HTTP/1.1", "localhost" + at), {200}},
        {hostIs("HTTP/1.1", "[::1]" + at), {200}},
        {hostIs("HTTP/1.0", ""), {200}},
        {hostIs("HTTP/1.1", ""), {400}},
        {hostIs("HTTP/1.1", "127.0.0.2" + at), {421}},
        {hostIs("HTTP/1.1", "127.0.0.1" + at + "x"), {421}},
        {hostIs("HTTP/1.1", "::1" + at), {421}},
        {closing("GET", "/kb/HT1349", "", host_), {400}},  // a second Host
        // Several requests on one connection, pipelined, or a body that reads like a request.
        {post("Content-Length: 15\r\n", kSerial) + post("Content-Length: 10\r\n", "sn=MISSING") +
             closing("GET", "/kb/HT1349"),
         {200, 404, 200},
         kHelpText},
        {"GET /kb/HT1349 HTTP/1.1\r\n" + host_ + "Content-Length: " +
             std::to_string(smuggled.size()) + "\r\n\r\n" + smuggled + closing("GET", "/nowhere"),
         {200, 404}},
    };
    const std::size_t answers = answerPagesTo(port_, cases);
    EXPECT_EQ(statusOf(lookUp(port_, kSerial)), 200);
    server_.stop();
    EXPECT_EQ(server_.logLines().size(), answers + 1);
}

TEST_F(ServerTest, OversizedOrDoubtfulRequestIsRefusedAtOnceAndAZeroByteEndsNoPath) {
    const std::string help = "GET /kb/HT1349 HTTP/1.1\r\n" + host_;
    const Exchange cases[] = {
        // A body over 4 KiB in any framing, refused before it is in.
        {post("Content-Length: 5000\r\n", ""), {413}},
        {post("Content-Length: 0000000000004097\r\n", ""), {413}},
        {post("Transfer-Encoding: chunked\r\n", "1388\r\nsn=" + std::string(4997, 'A')), {413}},
        {post("Transfer-Encoding: chunked\r\n",
              times(80, "40\r\n" + std::string(64, 'A') + "\r\n")),
         {413}},
        // No length on a request means no body (RFC 9112 6.3): the request has no "sn=".
        {post("Connection: close\r\n", "sn=" + std::string(5000, 'A')), {400}},
        // Framing that two readers could take differently.
        {post("Content-Length: 15\r\nContent-Length: 16\r\n", kSerial), {400}},
        {post("Content-Length: 15\r\nTransfer-Encoding: chunked\r\n", kSerial), {400}},
        {post("Transfer-Encoding: chunked\r\nContent-Length: 15\r\n", kSerial), {400}},
        {post("Transfer-Encoding: gzip\r\n", kSerial), {400}},
        {post("Transfer-Encoding: gzip, chunked\r\n", kSerial), {400}},
        // Headers too long or of too many fields.
        {post("X-Long: " + std::string(10000, 'a') + "\r\nContent-Length: 0\r\n", ""), {431}},
        {post(times(100, "X-Field: 1\r\n") + "Content-Length: 0\r\n", ""), {431}},
        // Header fields that readers could take differently.
        {help + "Transfer-Encoding : chunked\r\n\r\n0\r\n\r\n", {400}},
        {help + "Content-Length\t: 0\r\n\r\n", {400}},
        {help + "X-Folded: a\r\n  Transfer-Encoding: chunked\r\n\r\n", {400}},
        {help + "X-Folded: a\r\n\tand more\r\n\r\n", {400}},
        {help + "X-Folded: a\r\n continued\r\n\r\n", {400}},
        {help +
             "X-Spaced:   a\r\nX-Tabbed:\tb\r\nX-Bare:c\r\nX-Empty:\r\nConnection: close\r\n\r\n",
         {200},
         kHelpText},
        {help + "X-Bare: a\rTransfer-Encoding: chunked\r\n\r\n", {400}},
        {help + "Connection: close\r\n\r\n", {200}, kHelpText},
        {post("Content-Length: 15\r\n", kSerial).replace(0, 15, "POST /inapp.php%00.txt"),
         {404},
         "",
         true},
        {post("Content-Length: 15\r\n", kSerial).replace(0, 15, "POST /inapp%2Ephp"),
         {200},
         "",
         true},
    };
    answerPagesTo(port_, cases);
}

// A client may send several requests and end its side at once: every one is answered before
// the connection closes.
TEST_F(ServerTest, PipelinedRequestsFollowedByAHalfCloseAreAllAnswered) {
    const std::string request = post("Content-Length: 15\r\n", kSerial);
    for (int attempt = 0; attempt < 10; ++attempt) {
        SCOPED_TRACE(attempt);
        answersTo(port_, {request + request + request, {200, 200, 200}, "", true});
    }
}

TEST_F(ServerTest, RequestNotInWithinItsTimeAnswers408WhereverItIsTrickled) {
    const std::pair<std::string, std::string> cases[] = {
        {"", post("Content-Length: 15\r\n", kSerial)},                       // the header
        {post("Content-Length: 40\r\n", ""), "sn=" + std::string(37, 'A')},  // the body
    };
    for (const auto& [atOnce, trickled] : cases) {
        SCOPED_TRACE(trickled.substr(0, 20));
        const auto start = steady_clock::now();  // the service's time starts as it accepts
        RawConnection connection(port_);
        connection.send(atOnce);
        std::string received;
        // One byte every 50 ms: never idle, never done in time.
        for (std::size_t i = 0;
             i < trickled.size() && received.empty() && connection.send(trickled.substr(i, 1)); ++i)
            received = connection.receiveAll(50ms);
        const auto responses = parseResponses(received + connection.receiveAll(1s));
        ASSERT_EQ(responses.size(), 1u);
        EXPECT_EQ(responses.front().status, 408);
        const auto took = steady_clock::now() - start;
        EXPECT_GE(took, kRequestTime);
        EXPECT_LT(took, kRequestTime + 600ms);
    }
}

TEST_F(ServerTest, ConnectionsOverTheLimitAnswer503AndLookupsResumeAfter) {
    std::vector<std::unique_ptr<RawConnection>> idle;
    for (std::size_t i = 0; i < kLimits.connections; ++i)
        idle.push_back(std::make_unique<RawConnection>(port_));
    std::this_thread::sleep_for(100ms);  // all accepted
    EXPECT_EQ(statusOf(lookUp(port_, kSerial)), 503);
    idle.clear();
    std::optional<HttpResponse> answered;
    for (int attempt = 0; attempt < 20 && (!answered || answered->status == 503); ++attempt) {
        std::this_thread::sleep_for(50ms);
        answered = lookUp(port_, kSerial);
    }
    EXPECT_EQ(statusOf(answered), 200);
}

// A database emptied, deleted or replaced (as an import does) under the server is not served:
// lookups fail with 500, pages that need no database are still answered, and once every lookup
// has failed for a while the server ends, for its supervisor to start it afresh. With the
// access log off, the problems are still logged, and nothing else.
TEST(DatabaseFileTest, DatabaseEmptiedDeletedOrReplacedIsNoLongerServedAndEndsTheServer) {
    const std::pair<std::string_view, const char*> cases[] = {
        {"emptied", "no such table"}, {"deleted", "已被删除"}, {"replaced", "已被另一个文件替换"}};
    for (const auto& [change, reason] : cases) {
        SCOPED_TRACE(change);
        ConnectionLimits limits;
        limits.storeLostAfter = 300ms;  // counted from the first lookup that fails
        RunningServer running(limits, AccessLog::kOff);
        EXPECT_EQ(statusOf(lookUp(running.port, kSerial)), 200);
        if (change == "emptied") {
            testing_support::OtherConnection(running.databasePath).value("DROP TABLE devices");
        } else {
            std::filesystem::remove(running.databasePath);
            if (change == "replaced")
                DeviceStore another(running.databasePath, WhenMissing::kCreateEmpty);
            std::this_thread::sleep_for(1100ms);  // the file is looked at again once a second
        }
        const auto after = lookUp(running.port, kSerial);
        ASSERT_TRUE(after);
        EXPECT_EQ(after->status, 500);
        EXPECT_TRUE(after->bodyHas("服务内部错误"));
        EXPECT_EQ(helpPageStatus(running.port), 200);  // asks no database: the server goes on
        std::vector<int> statuses;
        for (const auto until = steady_clock::now() + 3s;
             steady_clock::now() < until && (statuses.empty() || statuses.back() != 0);
             std::this_thread::sleep_for(50ms))
            statuses.push_back(statusOf(lookUp(running.port, kSerial)));
        EXPECT_EQ(statuses.back(), 0);  // no longer listening
        running.stop();
        EXPECT_EQ(running.ended, LookupServer::End::kDatabaseLost);
        const auto lines = running.logLines();
        ASSERT_FALSE(lines.empty());
        EXPECT_TRUE(std::ranges::none_of(lines, [](const std::string& line) {
            return line.find(" POST /inapp.php ") != std::string::npos;
        }));
        EXPECT_TRUE(std::ranges::any_of(lines, [reason](const std::string& line) {
            return line.find(reason) != std::string::npos;
        }));
        EXPECT_NE(lines.back().find("数据库持续无法使用"), std::string::npos);
    }
}

// Behind a trusted proxy the log names the client the proxy speaks for; anyone else's
// X-Forwarded-For is not believed.
TEST(TrustedProxyTest, LogNamesTheClientAProxySpeaksFor) {
    for (const bool trusted : {true, false}) {
        SCOPED_TRACE(trusted);
        ConnectionLimits limits;
        if (trusted)
            limits.trustedProxies = TrustedProxies({"127.0.0.1"});
        RunningServer running(limits);
        EXPECT_EQ(helpPageStatus(running.port, "X-Forwarded-For: 203.0.113.5\r\n"), 200);
        running.stop();
        ASSERT_EQ(running.logLines().size(), 1u);
        EXPECT_NE(running.logLines().front().find(trusted ? "Z 203.0.113.5 GET /kb/HT1349 200 "
                                                          : "Z 127.0.0.1 GET /kb/HT1349 200 "),
                  std::string::npos)
            << running.logLines().front();
    }
}

// Makes another process (as a checkpoint or a backup tool would) hold every lock of the
// write-ahead log's shared-memory index of the database at `path` for `time`, which SQLite's
// readers wait for inside its calls; returns once they are held, with the process's id (to be
// waited for), or -1.
pid_t holdIndexLocks(const std::string& path, std::chrono::milliseconds time) {
    int ready[2];
    if (pipe(ready) != 0)
        return -1;
    const pid_t holder = fork();
    if (holder == 0) {
        // SQLite's locks of the index: bytes 120 to 127 of the -shm file (fcntl(2) locks).
        const int index = ::open((path + "-shm").c_str(), O_RDWR);
        struct flock all {};
        all.l_type = F_WRLCK;
        all.l_whence = SEEK_SET;
        all.l_start = 120;
        all.l_len = 8;
        const char held = index >= 0 && fcntl(index, F_SETLKW, &all) == 0 ? '1' : '0';
        [[maybe_unused]] const auto told = write(ready[1], &held, 1);
        usleep(static_cast<useconds_t>(time.count() * 1000));
        _exit(0);
    }
    char held = 0;
    const bool told = read(ready[0], &held, 1) == 1;
    close(ready[0]);
    close(ready[1]);
    return told && held == '1' ? holder : -1;
}

// A thread that refuses to wait gets an error at once where SQLite would wait for the locks
// another process holds; other threads still wait for them.
TEST(StoreWaitTest, LookupThatRefusesToWaitFailsAtOnceWhileAnotherWaits) {
    testing_support::TemporaryDirectory directory;
    DeviceStore store((directory.path() / "d.sqlite3").string(), WhenMissing::kCreateWithSamples);
    ASSERT_TRUE(store.find("QX2K93HT7LMP"));
    const pid_t holder = holdIndexLocks((directory.path() / "d.sqlite3").string(), 600ms);
    ASSERT_GT(holder, 0);
    auto start = steady_clock::now();
    {
        const NoWaitScope refusingToWait;
        EXPECT_THROW(store.find("QX2K93HT7LMP"), StoreError);
    }
    EXPECT_LT(steady_clock::now() - start, 100ms);
    start = steady_clock::now();
    EXPECT_TRUE(store.find("QX2K93HT7LMP"));
    EXPECT_GE(steady_clock::now() - start, 300ms);
    waitpid(holder, nullptr, 0);
}

// Another process (a checkpoint, a backup tool) holds every lock of the write-ahead log's
// shared-memory index for a while: SQLite's readers wait for them inside its calls. Pages that
// need no database are answered at once meanwhile, lookups with 503 once their wait is over,
// and the log records the time they really took.
TEST(StoreWaitTest, HeldDatabaseLockHoldsUpNoHelpPageAndALookupOnlyForItsWait) {
    constexpr auto kWait = 400ms;
    ConnectionLimits limits;
    limits.storeWait = kWait;
    RunningServer running(limits);
    ASSERT_EQ(statusOf(lookUp(running.port, kSerial)), 200);  // the index file exists now
    const pid_t holder = holdIndexLocks(running.databasePath, 2500ms);
    ASSERT_GT(holder, 0);
    const auto start = steady_clock::now();
    std::vector<std::future<int>> lookups;
    for (int i = 0; i < 4; ++i) {
        lookups.push_back(std::async(std::launch::async, [&running] {
            const auto answer = lookUp(running.port, kSerial);
            EXPECT_TRUE(answer && answer->bodyHas("数据库正忙"));
            return statusOf(answer);
        }));
    }
    std::this_thread::sleep_for(50ms);  // the lookups are waiting
    const auto helpAsked = steady_clock::now();
    EXPECT_EQ(helpPageStatus(running.port), 200);
    EXPECT_LT(steady_clock::now() - helpAsked, 200ms);
    for (auto& lookup : lookups)
        EXPECT_EQ(lookup.get(), 503);
    const auto took = steady_clock::now() - start;
    EXPECT_GE(took, kWait);
    EXPECT_LT(took, kWait + 400ms);
    waitpid(holder, nullptr, 0);
    int after = 0;
    for (int attempt = 0; attempt < 40 && after != 200; ++attempt) {
        std::this_thread::sleep_for(100ms);
        after = statusOf(lookUp(running.port, kSerial));
    }
    EXPECT_EQ(after, 200);
    running.stop();
    std::size_t timedBusy = 0;
    for (const auto& line : running.logLines()) {
        std::smatch elapsed;
        if (std::regex_search(line, elapsed, std::regex(R"( 503 (\d+)\.\d+ms)")))
            timedBusy += std::chrono::milliseconds(std::stoi(elapsed[1])) >= kWait;
    }
    EXPECT_EQ(timedBusy, 4u);
}

TEST_F(ServerTest, TakenPortOrUnusableAddressIsRefused) {
    LookupServer second(server_.store, [](std::string_view) {});
    EXPECT_FALSE(second.bind("127.0.0.1", port_));
    EXPECT_FALSE(second.bind("not an address", 0));
}

TEST(ConnectionGuardTest, EachAddressButLoopbackOrATrustedProxyIsLimitedOnItsOwn) {
    ConnectionLimits limits;
    limits.connectionsPerAddress = 2;
    limits.trustedProxies = TrustedProxies({"192.0.2.80"});
    ConnectionGuard guard(limits, [](std::string_view) {});
    std::vector<std::pair<const char*, bool>> cases = {
        {"192.0.2.7", false}, {"192.0.2.7", false}, {"192.0.2.7", true},  {"198.51.100.1", false},
        {"127.0.0.1", false}, {"127.0.0.1", false}, {"127.0.0.1", false}, {"::1", false},
    };
    // A load balancer's 256 connections, each a client of its own.
    cases.insert(cases.end(), 256, {"192.0.2.80", false});
    cases.insert(cases.end(), 256, {"::ffff:192.0.2.80", false});
    std::vector<std::pair<GuardedConnection*, std::array<int, 2>>> open;
    for (const auto& [address, refused] : cases) {
        SCOPED_TRACE(address);
        std::array<int, 2> ends{};
        ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, ends.data()), 0);
        open.emplace_back(guard.accepted(ends[0], address), ends);
        char first[16] = "";
        const ssize_t got = recv(ends[1], first, sizeof first - 1, MSG_DONTWAIT);
        EXPECT_EQ(got > 0 && std::string_view(first).starts_with("HTTP/1.1 503"), refused);
    }
    for (const auto& [connection, ends] : open) {
        guard.closed(connection);
        close(ends[0]);
        close(ends[1]);
    }
}

}  // namespace
}  // namespace quelmarn::service
