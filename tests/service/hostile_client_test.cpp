// The lookup service against clients that break the rules: oversized or trickled requests, doubtful
// framing, foreign Host names, too many connections. Each gets its status at once and the
// connection closed; well-behaved clients are answered meanwhile.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

#include "service/connection_guard.h"
#include "tests/service/http_client.h"
#include "tests/service/running_server.h"

namespace quelmarn::service {
namespace {

using namespace std::chrono_literals;
using std::chrono::milliseconds;
using std::chrono::steady_clock;
using testing_support::HttpResponse;
using testing_support::RawConnection;
using testing_support::RunningServer;

// Short enough to keep the tests quick, long enough for a loaded machine to be in time.
constexpr auto kRequestTime = 800ms;

ConnectionLimits testLimits() {
    ConnectionLimits limits;
    limits.connections = 48;
    limits.requestTime = kRequestTime;
    limits.linger = 200ms;
    return limits;
}

class HostileClientTest : public ::testing::Test {
  protected:
    std::string header(std::string_view method, std::string_view extra) {
        return std::string(method) +
               " /inapp.php HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server_.port) + "\r\n" +
               std::string(extra) + "\r\n";
    }

    // The one answer on `connection`, which must then be closed.
    std::optional<HttpResponse> answerThenClose(RawConnection& connection) {
        const auto responses = testing_support::parseResponses(connection.receiveAll(3s));
        EXPECT_EQ(responses.size(), 1u);
        if (responses.empty())
            return std::nullopt;
        return responses.front();
    }

    RunningServer server_{testLimits()};
};

struct Framed {
    const char* framing;
    std::string headers;  // after the request line and Host
    std::string body;     // sent at once; the request is left unfinished
    int status;
};

TEST_F(HostileClientTest, BodyOverFourKibibytesAnswers413AtOnceInEveryFraming) {
    std::string smallChunks;
    for (int i = 0; i < 80; ++i)
        smallChunks += "40\r\n" + std::string(64, 'A') + "\r\n";
    const Framed cases[] = {
        {"length", "Content-Length: 5000\r\n", "", 413},
        {"length, leading zeros", "Content-Length: 0000000000004097\r\n", "", 413},
        {"one chunk", "Transfer-Encoding: chunked\r\n", "1388\r\nsn=" + std::string(4997, 'A'),
         413},
        {"small chunks", "Transfer-Encoding: chunked\r\n", smallChunks, 413},
        // No length on a request means no body (RFC 9112 6.3): "sn=..." is a malformed second
        // request, and the first has no "sn=".
        {"none", "", "sn=" + std::string(5000, 'A'), 400},
    };
    for (const auto& request : cases) {
        SCOPED_TRACE(request.framing);
        RawConnection connection(server_.port);
        const auto sentAt = steady_clock::now();
        ASSERT_TRUE(connection.send(header("POST", request.headers) + request.body));
        const auto answer = testing_support::parseResponses(connection.receiveAll(200ms));
        ASSERT_FALSE(answer.empty());
        EXPECT_LT(steady_clock::now() - sentAt, kRequestTime / 2);
        EXPECT_EQ(answer.front().status, request.status);
        EXPECT_LE(answer.front().body.size(), 4096u);
        EXPECT_TRUE(connection.closedWithin(2s));
    }
}

TEST_F(HostileClientTest, HeaderOfUsualSizeIsAnsweredAndOversizedOneAnswers431) {
    RawConnection usual(server_.port);
    usual.send(header("GET", "X-Long: " + std::string(6000, 'a') + "\r\nConnection: close\r\n"));
    const auto answer = answerThenClose(usual);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, 405);

    std::string manyFields;
    for (int i = 0; i < 100; ++i)
        manyFields += "X-Field-" + std::to_string(i) + ": 1\r\n";
    std::string manyRanges;
    for (int i = 0; i < 1200; ++i)
        manyRanges += "Range: bytes=0-\r\n";
    const std::string cases[] = {
        "X-Long: " + std::string(10000, 'a') + "\r\n",
        manyFields,
        manyRanges,
    };
    for (const auto& fields : cases) {
        SCOPED_TRACE(fields.substr(0, 20));
        RawConnection connection(server_.port);
        connection.send(header("GET", fields + "Content-Length: 0\r\n"));
        const auto answer = answerThenClose(connection);
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->status, 431);
    }
}

TEST_F(HostileClientTest, RequestNotInWithinItsTimeAnswers408WhateverIsTrickled) {
    const std::string cases[] = {
        header("POST", "Content-Length: 15\r\n") + "sn=QX2K93HT7LMP",
        header("POST", "Transfer-Encoding: chunked\r\n") + "F\r\nsn=QX2K93HT7LMP\r\n0\r\n\r\n",
    };
    for (const auto& request : cases) {
        RawConnection connection(server_.port);
        const auto start = steady_clock::now();
        std::string received;
        // One byte every 50 ms: never idle, never done in time.
        for (std::size_t i = 0; i < request.size() && received.empty(); ++i) {
            if (!connection.send(request.substr(i, 1)))
                break;
            received = connection.receiveAll(50ms);
        }
        received += connection.receiveAll(1s);
        const auto responses = testing_support::parseResponses(received);
        ASSERT_EQ(responses.size(), 1u) << request.substr(0, 60);
        EXPECT_EQ(responses.front().status, 408);
        const auto took = steady_clock::now() - start;
        EXPECT_GE(took, kRequestTime);
        EXPECT_LT(took, kRequestTime + 1500ms);
    }
}

TEST_F(HostileClientTest, ConnectionsOverTheLimitAnswer503AndLookupsResumeAfter) {
    std::vector<std::unique_ptr<RawConnection>> idle;
    for (std::size_t i = 0; i < testLimits().connections; ++i)
        idle.push_back(std::make_unique<RawConnection>(server_.port));
    std::this_thread::sleep_for(100ms);  // all accepted
    const auto refused = testing_support::lookUp(server_.port, "sn=QX2K93HT7LMP");
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->status, 503);
    idle.clear();
    std::optional<HttpResponse> answered;
    for (int attempt = 0; attempt < 20 && (!answered || answered->status == 503); ++attempt) {
        std::this_thread::sleep_for(50ms);
        answered = testing_support::lookUp(server_.port, "sn=QX2K93HT7LMP");
    }
    ASSERT_TRUE(answered);
    EXPECT_EQ(answered->status, 200);
}

TEST(ConnectionGuardTest, EachAddressButLoopbackIsLimitedOnItsOwn) {
    ConnectionLimits limits;
    limits.connectionsPerAddress = 2;
    ConnectionGuard guard(limits, [](std::string_view) {});
    struct Accepted {
        const char* address;
        bool refused;
    };
    const Accepted cases[] = {
        {"192.0.2.7", false}, {"192.0.2.7", false}, {"192.0.2.7", true},  {"198.51.100.1", false},
        {"127.0.0.1", false}, {"127.0.0.1", false}, {"127.0.0.1", false}, {"::1", false},
    };
    std::vector<std::pair<GuardedConnection*, std::array<int, 2>>> open;
    for (const auto& accepted : cases) {
        SCOPED_TRACE(accepted.address);
        std::array<int, 2> ends{};
        ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, ends.data()), 0);
        open.emplace_back(guard.accepted(ends[0], accepted.address), ends);
        char first[16] = "";
        const ssize_t got = recv(ends[1], first, sizeof first - 1, MSG_DONTWAIT);
        EXPECT_EQ(got > 0 && std::string_view(first).starts_with("HTTP/1.1 503"), accepted.refused);
    }
    for (const auto& [connection, ends] : open) {
        guard.closed(connection);
        close(ends[0]);
        close(ends[1]);
    }
}

TEST_F(HostileClientTest, PipelinedRequestsAreAnsweredInOrder) {
    const std::string keepAlive =
        "POST /inapp.php HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server_.port) +
        "\r\nContent-Length: ";
    RawConnection connection(server_.port);
    connection.send(keepAlive + "15\r\n\r\nsn=QX2K93HT7LMP" + keepAlive + "10\r\n\r\nsn=MISSING" +
                    testing_support::requestText(server_.port, "GET", "/kb/HT1349"));
    const auto responses = testing_support::parseResponses(connection.receiveAll(3s));
    ASSERT_EQ(responses.size(), 3u);
    EXPECT_EQ(responses[0].status, 200);
    EXPECT_EQ(responses[1].status, 404);
    EXPECT_EQ(responses[2].status, 200);
    EXPECT_TRUE(responses[2].bodyHas("/sys/class/dmi/id/product_serial"));
}

TEST_F(HostileClientTest, RequestFollowedByHalfCloseIsAnswered) {
    RawConnection connection(server_.port);
    connection.send("POST /inapp.php HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server_.port) +
                    "\r\nContent-Length: 15\r\n\r\nsn=QX2K93HT7LMP");
    connection.finishSending();
    const auto answer = answerThenClose(connection);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, 200);
}

TEST_F(HostileClientTest, BodyOfAGetIsReadAsBodyNotAsTheNextRequest) {
    const std::string smuggled = "POST /inapp.php HTTP/1.1\r\n\r\n";
    RawConnection connection(server_.port);
    connection.send("GET /kb/HT1349 HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server_.port) +
                    "\r\nContent-Length: " + std::to_string(smuggled.size()) + "\r\n\r\n" +
                    smuggled + testing_support::requestText(server_.port, "GET", "/nowhere"));
    const auto responses = testing_support::parseResponses(connection.receiveAll(3s));
    ASSERT_EQ(responses.size(), 2u);
    EXPECT_EQ(responses[0].status, 200);
    EXPECT_EQ(responses[1].status, 404);
}

TEST_F(HostileClientTest, DoubtfulLengthsAnswer400AndClose) {
    const std::string cases[] = {
        "Content-Length: 15\r\nContent-Length: 16\r\n",
        "Content-Length: 15\r\nTransfer-Encoding: chunked\r\n",
        "Transfer-Encoding: chunked\r\nContent-Length: 15\r\n",
        "Content-Length: abc\r\n",
        "Content-Length: -1\r\n",
        "Content-Length: 15, 15\r\n",
        "Transfer-Encoding: gzip\r\n",
        "Transfer-Encoding: gzip, chunked\r\n",
    };
    for (const auto& fields : cases) {
        SCOPED_TRACE(fields);
        RawConnection connection(server_.port);
        connection.send(header("POST", fields) + "sn=QX2K93HT7LMP");
        const auto answer = answerThenClose(connection);
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->status, 400);
    }
}

TEST_F(HostileClientTest, RangesAreIgnoredAndThePageAnsweredWhole) {
    const auto whole = testing_support::exchange(
        server_.port, testing_support::requestText(server_.port, "GET", "/kb/HT1349"));
    const auto ranged = testing_support::exchange(
        server_.port, testing_support::requestText(server_.port, "GET", "/kb/HT1349", {},
                                                   "Range: bytes=0-10,0-,5-9\r\n"));
    ASSERT_TRUE(whole && ranged);
    EXPECT_EQ(ranged->status, 200);
    EXPECT_EQ(ranged->body, whole->body);
    EXPECT_EQ(ranged->header("content-range"), "");
}

struct HostCase {
    const char* version;
    std::string host;  // "" for no Host field; "PORT" stands for the port listened on
    int status;
};

TEST_F(HostileClientTest, HostMustNameTheServiceItself) {
    const HostCase cases[] = {
        {"HTTP/1.1", "127.0.0.1:PORT", 200},
        {"HTTP/1.1", "localhost:PORT", 200},
        {"HTTP/1.1", "LocalHost:PORT", 200},
        {"HTTP/1.1", "[::1]:PORT", 200},
        {"HTTP/1.0", "", 200},
        {"HTTP/1.1", "", 400},
        {"HTTP/1.1", "rebound.example:PORT", 421},
        {"HTTP/1.1", "127.0.0.1:1", 421},
        {"HTTP/1.1", "127.0.0.1", 421},
        {"HTTP/1.1", "127.0.0.2:PORT", 421},
        {"HTTP/1.1", "127.0.0.1:PORTx", 421},
        {"HTTP/1.1", "::1:PORT", 421},
    };
    for (const auto& request : cases) {
        std::string host = request.host;
        if (const auto at = host.find("PORT"); at != std::string::npos)
            host.replace(at, 4, std::to_string(server_.port));
        SCOPED_TRACE(std::string(request.version) + " " + host);
        const std::string field = host.empty() ? "" : "Host: " + host + "\r\n";
        const auto answer = testing_support::exchange(
            server_.port, std::string("POST /inapp.php ") + request.version + "\r\n" + field +
                              "Connection: close\r\nContent-Length: 15\r\n\r\nsn=QX2K93HT7LMP");
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->status, request.status);
    }
    const auto twice = testing_support::exchange(
        server_.port,
        testing_support::requestText(server_.port, "GET", "/kb/HT1349", {},
                                     "Host: 127.0.0.1:" + std::to_string(server_.port) + "\r\n"));
    ASSERT_TRUE(twice);
    EXPECT_EQ(twice->status, 400);
}

// The time target itself (p99 under 50 ms with ten thousand of them) is measured by the load
// benchmark; here a few hundred trickling clients must not hold up any lookup noticeably.
TEST(SlowClientTest, TricklingConnectionsDoNotHoldUpLookups) {
    constexpr int kTricklers = 300;
    RunningServer server;
    std::vector<std::unique_ptr<RawConnection>> tricklers;
    for (int i = 0; i < kTricklers; ++i)
        tricklers.push_back(std::make_unique<RawConnection>(server.port));
    const std::string request =
        "POST /inapp.php HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 15\r\n\r\nsn=";
    std::atomic<bool> done = false;
    std::thread trickle([&] {
        for (std::size_t byte = 0; byte < request.size() && !done; ++byte) {
            for (auto& connection : tricklers)
                connection->send(request.substr(byte, 1));
            std::this_thread::sleep_for(100ms);
        }
    });
    std::vector<milliseconds::rep> took;
    for (int i = 0; i < 200; ++i) {
        const auto start = steady_clock::now();
        const auto answer = testing_support::lookUp(server.port, "sn=QX2K93HT7LMP");
        took.push_back(
            std::chrono::duration_cast<milliseconds>(steady_clock::now() - start).count());
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->status, 200);
    }
    done = true;
    trickle.join();
    std::sort(took.begin(), took.end());
    EXPECT_LT(took[took.size() * 99 / 100], 500) << "p99 in ms";
}

}  // namespace
}  // namespace quelmarn::service
