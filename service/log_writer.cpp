#include "service/log_writer.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <optional>
#include <utility>

namespace quelmarn::service {

namespace {

// How long the writer waits for a full descriptor before it looks at whether it should stop.
constexpr int kPollMilliseconds = 100;
// The most one write(2) is given (see writeWhole).
constexpr std::size_t kMostAtOnce = PIPE_BUF;
// How long the destructor lets a full descriptor hold up the lines still queued.
constexpr auto kFlushTime = std::chrono::milliseconds(500);

}  // namespace

LogWriter::LogWriter(int fd, std::string path)
    : fd_(fd), path_(std::move(path)), thread_([this] { run(); }) {}

int LogWriter::openForAppending(const std::string& path) {
    return ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0640);
}

void LogWriter::reopen() {
    if (path_.empty())
        return;
    const int fd = openForAppending(path_);
    if (fd < 0) {
        post("quelmarn-lookupd: 无法重新打开日志文件 " + path_ + "：" + std::strerror(errno) +
             "，继续写入原来的文件\n");
        return;
    }
    {
        const std::lock_guard lock(mutex_);
        if (reopened_ >= 0)
            ::close(reopened_);
        reopened_ = fd;
    }
    post("quelmarn-lookupd: 已重新打开日志文件\n");
}

LogWriter::~LogWriter() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
    if (!path_.empty())
        ::close(fd_);
    if (reopened_ >= 0)
        ::close(reopened_);
}

void LogWriter::post(std::string_view line) {
    {
        const std::lock_guard lock(mutex_);
        if (queued_.size() + line.size() > kMaxQueuedBytes) {
            ++dropped_;
            return;
        }
        queued_ += line;
        // The writer waits only for an empty queue; otherwise it is writing, and takes these
        // lines with the next batch.
        if (queued_.size() != line.size())
            return;
    }
    wake_.notify_one();
}

void LogWriter::run() {
    std::optional<std::chrono::steady_clock::time_point> giveUpAt;
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !queued_.empty(); });
        if (queued_.empty())
            return;
        if (stopping_ && !giveUpAt)
            giveUpAt = std::chrono::steady_clock::now() + kFlushTime;
        if (giveUpAt && std::chrono::steady_clock::now() > *giveUpAt)
            return;
        if (reopened_ >= 0) {
            ::close(fd_);
            fd_ = std::exchange(reopened_, -1);
        }
        // Every line queued meanwhile, in one write: a busy service logs many lines a
        // millisecond.
        std::string text = std::exchange(queued_, std::string());
        if (dropped_ > 0) {
            // Said once per stretch of lost lines, ahead of the first line that follows it.
            text = "quelmarn-lookupd: 日志输出受阻，丢弃了 " + std::to_string(dropped_) +
                   " 行日志\n" + text;
            dropped_ = 0;
        }
        lock.unlock();
        const bool written = writeWhole(text);
        lock.lock();
        if (!written && stopping_)
            return;
    }
}

bool LogWriter::writeWhole(std::string_view text) {
    while (!text.empty()) {
        pollfd ready{fd_, POLLOUT, 0};
        const int polled = ::poll(&ready, 1, kPollMilliseconds);
        if (polled == 0) {
            const std::lock_guard lock(mutex_);
            if (stopping_)
                return false;
            continue;
        }
        if (polled < 0 && errno == EINTR)
            continue;
        if (polled < 0 || (ready.revents & (POLLERR | POLLNVAL)))
            return false;
        // What poll(2) calls writable may hold less than the whole text, and a larger write then
        // blocks until a reader comes: no more than PIPE_BUF bytes at a time, which a pipe or a
        // socket that has room at all takes without waiting.
        const ssize_t written = ::write(fd_, text.data(), std::min(text.size(), kMostAtOnce));
        if (written < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (written < 0)
            return false;  // a log line is not worth more than trying
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace quelmarn::service
