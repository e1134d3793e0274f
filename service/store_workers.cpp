#include "service/store_workers.h"

#include <atomic>

namespace quelmarn::service {

// One request's answer, which is given once.
struct StoreWorkers::Ticket {
    Done done;
    std::chrono::steady_clock::time_point deadline;
    std::atomic<bool> settled = false;

    // Gives `answer` to `done` unless an answer came first.
    void settle(HttpAnswer answer) {
        if (!settled.exchange(true))
            done(std::move(answer));
    }
};

StoreWorkers::StoreWorkers(std::size_t threads, std::chrono::milliseconds wait, HttpAnswer busy)
    : wait_(wait), busy_(std::move(busy)) {
    for (std::size_t i = 0; i < threads; ++i)
        workers_.emplace_back([this] { runWork(); });
    watcher_ = std::thread([this] { watch(); });
}

StoreWorkers::~StoreWorkers() {
    stop();
    for (auto& worker : workers_)
        worker.join();
}

void StoreWorkers::stop() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    workQueued_.notify_all();
    watchChanged_.notify_all();
    if (watcher_.joinable())
        watcher_.join();
}

void StoreWorkers::submit(Work work, Done done) {
    auto ticket = std::make_shared<Ticket>();
    ticket->done = std::move(done);
    ticket->deadline = std::chrono::steady_clock::now() + wait_;
    {
        const std::lock_guard lock(mutex_);
        if (!stopping_) {
            const bool firstWatched = watched_.empty();
            queued_.emplace_back(ticket, std::move(work));
            watched_.push_back(ticket);
            workQueued_.notify_one();
            if (firstWatched)
                watchChanged_.notify_one();
            return;
        }
    }
    ticket->settle(busy_);
}

void StoreWorkers::runWork() {
    std::unique_lock lock(mutex_);
    for (;;) {
        workQueued_.wait(lock, [this] { return stopping_ || !queued_.empty(); });
        if (stopping_)
            return;
        auto [ticket, work] = std::move(queued_.front());
        queued_.pop_front();
        if (ticket->settled)
            continue;  // told busy while it waited in the queue
        lock.unlock();
        ticket->settle(work());
        lock.lock();
    }
}

void StoreWorkers::watch() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        while (!watched_.empty() && watched_.front()->settled)
            watched_.pop_front();
        if (watched_.empty()) {
            watchChanged_.wait(lock);
            continue;
        }
        const auto ticket = watched_.front();
        if (watchChanged_.wait_until(lock, ticket->deadline, [&] { return stopping_; }))
            break;
        if (std::chrono::steady_clock::now() < ticket->deadline)
            continue;
        watched_.pop_front();
        lock.unlock();
        ticket->settle(busy_);
        lock.lock();
    }
    // Nothing waits longer than the service runs: what is left is told busy now.
    for (auto& ticket : watched_)
        ticket->settle(busy_);
    watched_.clear();
    queued_.clear();
}

}  // namespace quelmarn::service
