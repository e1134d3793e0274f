// quelmarn-lookupd as a process: how it ends and how it logs when its surroundings misbehave.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <regex>
#include <thread>

#include "tests/service/http_client.h"
#include "tests/support/temporary_directory.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;
using testing_support::RawConnection;

// The service on a free port, its standard error a pipe that the test reads only when it
// chooses to.
class DaemonProcess {
  public:
    explicit DaemonProcess(const std::string& databasePath) {
        int ends[2];
        EXPECT_EQ(pipe2(ends, O_CLOEXEC), 0);
        log_ = ends[0];
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, ends[1], STDERR_FILENO);
        const std::string database = "--database=" + databasePath;
        const char* arguments[] = {QUELMARN_LOOKUPD, "--port", "0", database.c_str(), nullptr};
        EXPECT_EQ(posix_spawn(&pid_, QUELMARN_LOOKUPD, &actions, nullptr,
                              const_cast<char**>(arguments), environ),
                  0);
        posix_spawn_file_actions_destroy(&actions);
        close(ends[1]);
        std::string first;
        std::smatch port;
        const std::regex listening(R"(http://127\.0\.0\.1:(\d+)/)");
        while (!std::regex_search(first, port, listening) && readSome(first, 5s)) {
        }
        port_ = port.empty() ? 0 : std::stoi(port[1]);
    }

    ~DaemonProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        close(log_);
    }

    int port() const { return port_; }
    int logFd() const { return log_; }

    // Appends what the log pipe holds within `timeout`; false at its end or when it is empty.
    bool readSome(std::string& text, std::chrono::milliseconds timeout) {
        pollfd ready{log_, POLLIN, 0};
        if (poll(&ready, 1, static_cast<int>(timeout.count())) <= 0)
            return false;
        char buffer[65536];
        const ssize_t got = read(log_, buffer, sizeof buffer);
        if (got <= 0)
            return false;
        text.append(buffer, static_cast<std::size_t>(got));
        return true;
    }

    // Sends SIGTERM; the exit status, or nothing when the process is still there after `limit`.
    std::optional<int> terminate(std::chrono::milliseconds limit) {
        kill(pid_, SIGTERM);
        const auto until = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < until) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = 0;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(10ms);
        }
        return std::nullopt;
    }

  private:
    pid_t pid_ = 0;
    int log_ = -1;
    int port_ = 0;
};

class DaemonProcessTest : public ::testing::Test {
  protected:
    testing_support::TemporaryDirectory directory_;
    DaemonProcess daemon_{(directory_.path() / "devices.sqlite3").string()};
};

TEST_F(DaemonProcessTest, SigtermEndsTheServiceWithinTwoSecondsUnderSlowClients) {
    ASSERT_NE(daemon_.port(), 0);
    std::vector<std::unique_ptr<RawConnection>> slow;
    for (int i = 0; i < 300; ++i) {
        slow.push_back(std::make_unique<RawConnection>(daemon_.port()));
        slow.back()->send(i % 2 ? "POST /inapp.php HTTP/1.1\r\nHost: 127.0"
                                : "POST /inapp.php HTTP/1.1\r\nContent-Length: 15\r\n\r\nsn=Q");
    }
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(daemon_.terminate(2s), 0);
}

// Sends far more lookups on one connection than the log pipe (shrunk to one page) and the
// service's log queue hold together; returns how many were answered.
std::size_t lookUpWhileNobodyReadsTheLog(DaemonProcess& daemon) {
    fcntl(daemon.logFd(), F_SETPIPE_SZ, 4096);
    constexpr int kLookups = 8000;
    const std::string request =
        "POST /inapp.php HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(daemon.port()) +
        "\r\nContent-Length: 15\r\n\r\nsn=QX2K93HT7LMP";
    RawConnection connection(daemon.port());
    std::thread sender([&] {
        for (int i = 0; i < kLookups; ++i)
            connection.send(request);
    });
    std::size_t answered = 0;
    std::string received;
    const std::string_view found = "HTTP/1.1 200 OK";
    const auto start = std::chrono::steady_clock::now();
    while (answered < kLookups && std::chrono::steady_clock::now() - start < 20s) {
        received += connection.receiveAll(100ms);
        for (auto at = received.find(found); at != std::string::npos;
             at = received.find(found, at + 1))
            ++answered;
        // Keep what may be the start of a status line cut in two.
        received.erase(0, received.size() - std::min(received.size(), found.size() - 1));
    }
    sender.join();
    EXPECT_EQ(answered, static_cast<std::size_t>(kLookups));
    return answered;
}

TEST_F(DaemonProcessTest, LogPipeThatNobodyReadsHoldsUpNeitherLookupsNorTheEnd) {
    ASSERT_NE(daemon_.port(), 0);
    lookUpWhileNobodyReadsTheLog(daemon_);
    EXPECT_EQ(daemon_.terminate(2s), 0);
}

TEST_F(DaemonProcessTest, LinesLostToAFullLogPipeAreReportedOnceWhenItDrains) {
    ASSERT_NE(daemon_.port(), 0);
    lookUpWhileNobodyReadsTheLog(daemon_);
    std::string log;
    std::thread reader([&] {
        while (daemon_.readSome(log, 3s)) {
        }
    });
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(testing_support::lookUp(daemon_.port(), "sn=QX2K93HT7LMP"));
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(daemon_.terminate(2s), 0);
    reader.join();
    std::size_t notices = 0;
    for (auto at = log.find("丢弃了"); at != std::string::npos; at = log.find("丢弃了", at + 1))
        ++notices;
    EXPECT_EQ(notices, 1u);
    EXPECT_NE(log.find("已停止"), std::string::npos);
}

}  // namespace
