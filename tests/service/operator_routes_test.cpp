// The paths an operator's tools ask for: the health probe follows the store, the figures follow
// what the server counted, and every other path is left to the lookup routes.
#include <gtest/gtest.h>

#include <chrono>

#include "service/operator_routes.h"

namespace quelmarn::service {
namespace {

using namespace std::chrono_literals;

// A store that answers a health probe, or fails it as a lost database server does.
class ProbedStore final : public DeviceRegistry {
  public:
    std::optional<std::string> failure;

    std::optional<Device> find(std::string_view) override { return std::nullopt; }
    void write(const std::function<bool(Writer&)>&) override {}
    void forEach(const std::function<void(const Device&)>&) override {}
    void checkReachable() override {
        if (failure)
            throw StoreUnavailable(*failure);
    }
    bool local() const override { return true; }
    std::size_t parallelLookups() const override { return 1; }
};

HttpRequest get(std::string_view path, std::string_view method = "GET") {
    return HttpRequest{method, path, "HTTP/1.1", {}, {}};
}

TEST(OperatorRoutesTest, HealthFollowsTheStore) {
    ProbedStore store;
    const ServiceFigures figures;
    EXPECT_EQ(answerOperatorRoute(get("/healthz"), store, figures).value().page, "ok\n");
    store.failure = "无法连接数据库服务器：connection refused";
    const auto down = answerOperatorRoute(get("/healthz", "HEAD"), store, figures);
    ASSERT_TRUE(down);
    EXPECT_EQ(down->status, 503);
    EXPECT_NE(down->page.find("connection refused"), std::string::npos);
}

TEST(OperatorRoutesTest, OnlyTheirOwnPathsAndMethods) {
    ProbedStore store;
    const ServiceFigures figures;
    const std::tuple<std::string_view, std::string_view, std::optional<int>> cases[] = {
        {"GET", "/healthz", 200},
        {"GET", "/metrics", 200},
        {"HEAD", "/metrics", 200},
        {"POST", "/healthz", 405},
        {"DELETE", "/metrics", 405},
        {"POST", "/inapp.php", std::nullopt},
        {"GET", "/kb/HT1349", std::nullopt},
        {"GET", "/healthz/", std::nullopt},
        {"GET", "/metrics.txt", std::nullopt},
    };
    for (const auto& [method, path, status] : cases) {
        const auto answer = answerOperatorRoute(get(path, method), store, figures);
        EXPECT_EQ(answer ? std::optional<int>(answer->status) : std::nullopt, status)
            << method << " " << path;
        if (answer && answer->status == 405) {
            EXPECT_EQ(answer->allow, "GET, HEAD");
        }
    }
}

// The exposition holds what was counted, in the Prometheus text format.
TEST(OperatorRoutesTest, FiguresCountAnswersLookupsLatencyAndConnections) {
    ProbedStore store;
    ServiceFigures figures;
    figures.answered(200);
    figures.answered(200);
    figures.answered(404);
    figures.answered(503);
    figures.lookedUp(200us, true);
    figures.lookedUp(3ms, false);
    figures.lookupFailed(2s);
    figures.connectionOpened();
    figures.connectionOpened();
    figures.connectionClosed();
    const auto answer = answerOperatorRoute(get("/metrics"), store, figures);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->contentType, "text/plain; version=0.0.4; charset=utf-8");
    const std::string_view expectedLines[] = {
        "quelmarn_requests_total 4\n",
        "quelmarn_responses_total{status=\"200\"} 2\n",
        "quelmarn_responses_total{status=\"404\"} 1\n",
        "quelmarn_responses_total{status=\"503\"} 1\n",
        "quelmarn_lookups_total{result=\"found\"} 1\n",
        "quelmarn_lookups_total{result=\"missing\"} 1\n",
        "quelmarn_lookups_total{result=\"failed\"} 1\n",
        "quelmarn_store_lookup_seconds_bucket{le=\"0.0001\"} 0\n",
        "quelmarn_store_lookup_seconds_bucket{le=\"0.0005\"} 1\n",
        "quelmarn_store_lookup_seconds_bucket{le=\"0.005\"} 2\n",
        "quelmarn_store_lookup_seconds_bucket{le=\"1\"} 2\n",
        "quelmarn_store_lookup_seconds_bucket{le=\"+Inf\"} 3\n",
        "quelmarn_store_lookup_seconds_sum 2.003200000\n",
        "quelmarn_store_lookup_seconds_count 3\n",
        "quelmarn_open_connections 1\n",
        "# TYPE quelmarn_store_lookup_seconds histogram\n",
    };
    for (const std::string_view line : expectedLines)
        EXPECT_NE(answer->page.find(line), std::string::npos) << line;
    EXPECT_EQ(answer->page.find("status=\"500\""), std::string::npos);
}

}  // namespace
}  // namespace quelmarn::service
