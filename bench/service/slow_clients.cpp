// Holds COUNT connections to 127.0.0.1:PORT that each trickle a lookup's header one byte a
// second, for SECONDS; a connection the service closes (its request time is up) is opened
// again, so that COUNT stay held throughout. Used by load.sh to time lookups while they hold.
//
//   slow_clients PORT COUNT SECONDS
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <thread>
#include <vector>

namespace {

constexpr std::string_view kTrickled =
    "POST /inapp.php HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 15\r\n\r\nsn=QX2K93HT7LMP";

int openConnection(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);  // completes later
    return fd;
}

struct Trickler {
    int fd;
    std::size_t sent = 0;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s PORT COUNT SECONDS\n", argv[0]);
        return 2;
    }
    const int port = std::atoi(argv[1]);
    const int count = std::atoi(argv[2]);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(std::atoi(argv[3]));
    rlimit files{};
    getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = files.rlim_max;
    setrlimit(RLIMIT_NOFILE, &files);

    std::vector<Trickler> tricklers;
    for (int i = 0; i < count; ++i)
        tricklers.push_back({openConnection(port)});
    std::size_t reopened = 0;
    while (std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        for (auto& trickler : tricklers) {
            char drop[4096];
            const bool closed = ::recv(trickler.fd, drop, sizeof drop, MSG_DONTWAIT) == 0;
            const std::size_t at = trickler.sent % kTrickled.size();
            if (closed || ::send(trickler.fd, kTrickled.data() + at, 1, MSG_NOSIGNAL) != 1) {
                ::close(trickler.fd);
                trickler = {openConnection(port)};
                ++reopened;
                continue;
            }
            ++trickler.sent;
        }
    }
    std::printf("slow clients: %d held, %zu reopened after the service closed them\n", count,
                reopened);
    return 0;
}
