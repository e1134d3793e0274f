#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string_view>

#include "tests/service/running_server.h"

namespace quelmarn::service::testing {
namespace {

// A client that connects and sends `bytes`, then neither sends more nor closes until it goes.
class StalledClient {
  public:
    StalledClient(int port, std::string_view bytes) : socket_(::socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(::connect(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(::send(socket_, bytes.data(), bytes.size(), 0),
                  static_cast<ssize_t>(bytes.size()));
    }
    ~StalledClient() { ::close(socket_); }
    StalledClient(const StalledClient&) = delete;
    StalledClient& operator=(const StalledClient&) = delete;

  private:
    int socket_;
};

bool looksUpSample(RunningServer& server) {
    const auto answer = server.client().Post("/inapp.php", "sn=QX2K93HT7LMP", "text/plain");
    return answer && answer->status == 200;
}

TEST(SlowClientTest, StalledClientsDoNotHoldUpOthers) {
    RunningServer server;
    const StalledClient halfHeader(server.port(), "POST /inapp.php HTTP/1.1\r\nHost: loc");
    const StalledClient halfBody(server.port(),
                                 "POST /inapp.php HTTP/1.1\r\nHost: localhost\r\n"
                                 "Content-Length: 15\r\n\r\nsn=QX2K");
    const StalledClient silent(server.port(), "");
    EXPECT_TRUE(looksUpSample(server));
}

TEST(SlowClientTest, ClientsThatHangUpMidRequestDoNotStopTheService) {
    RunningServer server;
    for (const char* part :
         {"POST /inapp.php HT", "POST /inapp.php HTTP/1.1\r\nContent-Length: 9\r\n\r\nsn"}) {
        const StalledClient cutOff(server.port(), part);
    }
    EXPECT_TRUE(looksUpSample(server));
}

}  // namespace
}  // namespace quelmarn::service::testing
