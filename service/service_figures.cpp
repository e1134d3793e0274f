#include "service/service_figures.h"

#include <algorithm>
#include <cstdio>

namespace quelmarn::service {

namespace {

constexpr auto kRelaxed = std::memory_order_relaxed;

// A sample line: name, optional labels, value.
void appendSample(std::string& text, const char* name, const std::string& labels,
                  std::uint64_t value) {
    text += name;
    if (!labels.empty())
        text += "{" + labels + "}";
    text += ' ';
    text += std::to_string(value);
    text += '\n';
}

void appendHeader(std::string& text, const char* name, const char* type, const char* help) {
    text += std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " " + type + "\n";
}

std::string boundText(double bound) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", bound);
    return text;
}

}  // namespace

void ServiceFigures::answered(int status) {
    if (status >= kFirstStatus && status < kFirstStatus + static_cast<int>(answers_.size()))
        answers_[static_cast<std::size_t>(status - kFirstStatus)].fetch_add(1, kRelaxed);
}

void ServiceFigures::lookedUp(std::chrono::nanoseconds elapsed, bool found) {
    (found ? found_ : missing_).fetch_add(1, kRelaxed);
    timed(elapsed);
}

void ServiceFigures::lookupFailed(std::chrono::nanoseconds elapsed) {
    failed_.fetch_add(1, kRelaxed);
    timed(elapsed);
}

void ServiceFigures::timed(std::chrono::nanoseconds elapsed) {
    const double seconds = std::chrono::duration<double>(elapsed).count();
    for (std::size_t i = 0; i < kLatencyBounds.size(); ++i) {
        if (seconds <= kLatencyBounds[i]) {
            latencyBuckets_[i].fetch_add(1, kRelaxed);
            break;
        }
    }
    latencyCount_.fetch_add(1, kRelaxed);
    latencyNanoseconds_.fetch_add(static_cast<std::uint64_t>(elapsed.count()), kRelaxed);
}

std::string ServiceFigures::exposition() const {
    std::string text;
    std::uint64_t requests = 0;
    for (const auto& count : answers_)
        requests += count.load(kRelaxed);
    appendHeader(text, "quelmarn_requests_total", "counter", "Requests answered.");
    appendSample(text, "quelmarn_requests_total", "", requests);
    appendHeader(text, "quelmarn_responses_total", "counter", "Answers sent, by HTTP status.");
    for (std::size_t i = 0; i < answers_.size(); ++i) {
        if (const auto count = answers_[i].load(kRelaxed); count > 0)
            appendSample(text, "quelmarn_responses_total",
                         "status=\"" + std::to_string(kFirstStatus + static_cast<int>(i)) + "\"",
                         count);
    }
    appendHeader(text, "quelmarn_lookups_total", "counter",
                 "Serial-number lookups in the store, by result.");
    appendSample(text, "quelmarn_lookups_total", "result=\"found\"", found_.load(kRelaxed));
    appendSample(text, "quelmarn_lookups_total", "result=\"missing\"", missing_.load(kRelaxed));
    appendSample(text, "quelmarn_lookups_total", "result=\"failed\"", failed_.load(kRelaxed));
    appendHeader(text, "quelmarn_store_lookup_seconds", "histogram",
                 "Time a lookup spent in the store.");
    std::uint64_t cumulative = 0;
    for (std::size_t i = 0; i < kLatencyBounds.size(); ++i) {
        cumulative += latencyBuckets_[i].load(kRelaxed);
        appendSample(text, "quelmarn_store_lookup_seconds_bucket",
                     "le=\"" + boundText(kLatencyBounds[i]) + "\"", cumulative);
    }
    // Read after the buckets, which a lookup counts in first: never below their sum.
    const auto count = std::max(latencyCount_.load(kRelaxed), cumulative);
    appendSample(text, "quelmarn_store_lookup_seconds_bucket", "le=\"+Inf\"", count);
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.9f",
                  static_cast<double>(latencyNanoseconds_.load(kRelaxed)) / 1e9);
    text += std::string("quelmarn_store_lookup_seconds_sum ") + seconds + "\n";
    appendSample(text, "quelmarn_store_lookup_seconds_count", "", count);
    appendHeader(text, "quelmarn_open_connections", "gauge", "Client connections open now.");
    appendSample(
        text, "quelmarn_open_connections", "",
        static_cast<std::uint64_t>(std::max<std::int64_t>(0, openConnections_.load(kRelaxed))));
    return text;
}

}  // namespace quelmarn::service
