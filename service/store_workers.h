#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "service/http_exchange.h"

namespace quelmarn::service {

// Runs the requests that need the device database on threads of their own, so that the event
// loops never wait for it: SQLite waits inside its calls, for seconds, while another
// process holds a lock its readers need (the write-ahead log's shared-memory index, during a
// checkpoint or under another tool). Each request is answered within `wait` of its submission:
// with the work's answer, or with `busy` if the work has not finished by then (it still runs to
// its end, and its answer is dropped).
class StoreWorkers {
  public:
    using Work = std::function<HttpAnswer()>;
    // Receives the answer, exactly once, on a worker's thread or the watch thread.
    using Done = std::function<void(HttpAnswer)>;

    StoreWorkers(std::size_t threads, std::chrono::milliseconds wait, HttpAnswer busy);
    // Calls stop(), then waits for the work under way.
    ~StoreWorkers();
    StoreWorkers(const StoreWorkers&) = delete;
    StoreWorkers& operator=(const StoreWorkers&) = delete;

    // Queues `work`; `done` gets its answer, or `busy` once the wait is over. Thread-safe.
    void submit(Work work, Done done);

    // Answers `busy` to every request not yet answered, and to every one run from now on.
    void stop();

  private:
    struct Ticket;

    void runWork();
    void watch();

    std::chrono::milliseconds wait_;
    HttpAnswer busy_;
    std::mutex mutex_;  // guards what follows
    std::condition_variable workQueued_;
    std::condition_variable watchChanged_;
    std::deque<std::pair<std::shared_ptr<Ticket>, Work>> queued_;
    // Every ticket not yet known to be answered, in the order of their deadlines, which is that
    // of submission, as every request gets the same wait.
    std::deque<std::shared_ptr<Ticket>> watched_;
    bool stopping_ = false;
    std::vector<std::thread> workers_;
    std::thread watcher_;
};

}  // namespace quelmarn::service
