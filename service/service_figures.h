#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>

namespace quelmarn::service {

// What a monitoring system reads of a running service: counters and gauges updated by the
// server's threads without a lock, written out in the Prometheus text format.
class ServiceFigures {
  public:
    // The upper bounds of the store latency histogram's buckets, in seconds.
    static constexpr std::array<double, 8> kLatencyBounds{0.0001, 0.0005, 0.001, 0.005,
                                                          0.01,   0.05,   0.25,  1.0};

    // An answer with `status` (100 to 599) was sent.
    void answered(int status);
    // A lookup in the store took `elapsed` and found a device or not (it threw: neither).
    void lookedUp(std::chrono::nanoseconds elapsed, bool found);
    void lookupFailed(std::chrono::nanoseconds elapsed);
    void connectionOpened() { openConnections_.fetch_add(1, std::memory_order_relaxed); }
    void connectionClosed() { openConnections_.fetch_sub(1, std::memory_order_relaxed); }

    // Every figure in the Prometheus text exposition format (version 0.0.4).
    std::string exposition() const;

  private:
    void timed(std::chrono::nanoseconds elapsed);

    static constexpr int kFirstStatus = 100;
    std::array<std::atomic<std::uint64_t>, 500> answers_{};  // by status - kFirstStatus
    std::atomic<std::uint64_t> found_{0};
    std::atomic<std::uint64_t> missing_{0};
    std::atomic<std::uint64_t> failed_{0};
    std::array<std::atomic<std::uint64_t>, kLatencyBounds.size()> latencyBuckets_{};
    std::atomic<std::uint64_t> latencyCount_{0};
    std::atomic<std::uint64_t> latencyNanoseconds_{0};
    std::atomic<std::int64_t> openConnections_{0};
};

}  // namespace quelmarn::service
