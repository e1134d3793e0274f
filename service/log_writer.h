#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace quelmarn::service {

// Writes log lines to a file descriptor from a thread of its own, so that whoever logs never
// waits for the reader of that descriptor. While the descriptor takes nothing (a pipe that
// nobody reads), lines beyond kMaxQueuedBytes are dropped and counted; the next line that gets
// through is preceded by one line saying how many were lost.
class LogWriter {
  public:
    static constexpr std::size_t kMaxQueuedBytes = 256 * 1024;

    // Writes to `fd`, which stays the caller's and must stay open until the writer is gone.
    explicit LogWriter(int fd);
    // Writes what is queued, giving up after about half a second if `fd` takes nothing.
    ~LogWriter();
    LogWriter(const LogWriter&) = delete;
    LogWriter& operator=(const LogWriter&) = delete;

    // Queues `line` (ending in "\n"); never blocks. Thread-safe.
    void post(std::string_view line);

  private:
    void run();
    // Writes `text` whole; false when `fd_` stayed full until the writer was asked to stop.
    bool writeWhole(std::string_view text);

    int fd_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::string> queue_;
    std::size_t queuedBytes_ = 0;
    std::size_t dropped_ = 0;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace quelmarn::service
