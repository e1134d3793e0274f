#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace quelmarn::service {

// Writes log lines to a file descriptor from a thread of its own, so that whoever logs never
// waits for the reader of that descriptor; the lines queued while it writes go out together. While
// the descriptor takes nothing (a pipe that nobody reads), lines beyond kMaxQueuedBytes are dropped
// and counted; the next line that gets through is preceded by one line saying how many were lost.
class LogWriter {
  public:
    static constexpr std::size_t kMaxQueuedBytes = 256 * 1024;

    // Writes to `fd`, which stays the caller's and must stay open until the writer is gone; or,
    // with a `path`, to the file at `path` opened as `fd` (openForAppending()), which the writer
    // then owns and reopens on reopen().
    explicit LogWriter(int fd, std::string path = {});
    // Writes what is queued, giving up after about half a second if `fd` takes nothing.
    ~LogWriter();
    LogWriter(const LogWriter&) = delete;
    LogWriter& operator=(const LogWriter&) = delete;

    // Queues `line` (ending in "\n"); never blocks. Thread-safe.
    void post(std::string_view line);

    // Opens the file at `path` for appending, creating it readable by its owner and group;
    // the descriptor, or -1 with errno set.
    static int openForAppending(const std::string& path);

    // Writes from now on to the file now at the writer's path (after a log rotation moved the
    // old one away); keeps the old file, saying so in it, when that cannot be opened. Nothing
    // to do without a path. Thread-safe.
    void reopen();

  private:
    void run();
    // Writes `text` whole; false when `fd_` stayed full until the writer was asked to stop.
    bool writeWhole(std::string_view text);

    int fd_;  // used by the writer's thread alone once it runs
    std::string path_;
    std::mutex mutex_;
    int reopened_ = -1;  // the file to write to from the next line on
    std::condition_variable wake_;
    std::string queued_;  // lines not yet written
    std::size_t dropped_ = 0;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace quelmarn::service
