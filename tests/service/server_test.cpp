// The lookup service end to end: each test starts its own server on a free loopback port with a
// database of its own (the sample devices) and talks to it over real HTTP.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sqlite3.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <thread>

#include "service/lookup_server.h"
#include "tests/service/http_client.h"
#include "tests/service/running_server.h"

namespace quelmarn::service {
namespace {

using std::chrono::year;

constexpr const char* kHtml = "text/html; charset=utf-8";

using testing_support::HttpResponse;

class ServerTest : public ::testing::Test {
  protected:
    std::optional<HttpResponse> lookUp(const std::string& body, const char* type = "text/plain") {
        const std::string header = *type ? std::string("Content-Type: ") + type + "\r\n" : "";
        return testing_support::exchange(
            port_, testing_support::requestText(port_, "POST", "/inapp.php", body, header));
    }

    std::optional<HttpResponse> get(const std::string& path) {
        return testing_support::exchange(port_, testing_support::requestText(port_, "GET", path));
    }

    testing_support::RunningServer running_;
    DeviceStore& store_ = running_.store;
    const std::string& databasePath_ = running_.databasePath;
    const int port_ = running_.port;
};

TEST_F(ServerTest, RegisteredSerialAnswersTheDevicePageWhateverTheContentType) {
    for (const char* type : {"application/x-www-form-urlencoded", "text/plain", ""}) {
        SCOPED_TRACE(type);
        const auto answer = lookUp("sn=QX2K93HT7LMP", type);
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->status, 200);
        EXPECT_EQ(answer->header("content-type"), kHtml);
        EXPECT_TRUE(answer->bodyHas("笔记本电脑 15 英寸"));
        EXPECT_TRUE(answer->bodyHas("Notebook15,1"));
        EXPECT_TRUE(answer->bodyHas("2023 年 3 月 14 日"));
    }
}

TEST_F(ServerTest, UnregisteredSerialAnswersNotRegisteredWithTheSerialEscaped) {
    const auto answer = lookUp("sn=<script>alert(1)</script>&amp;");
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, 404);
    EXPECT_TRUE(answer->bodyHas("未找到该序列号"));
    EXPECT_FALSE(answer->bodyHas("<script>"));
    EXPECT_TRUE(answer->bodyHas("&lt;script&gt;alert(1)&lt;/script&gt;&amp;amp;"));
}

TEST_F(ServerTest, SerialIsFoundOnlyWhenExactAndItsDeviceIsEscaped) {
    const std::string serial = " A&b=1 %41+x ";
    store_.saveAll(std::vector{Device{serial, "型号", "X1", year(2012) / 6 / 11,
                                      year(2099) / 6 / 10, "<img src=x onerror=y>"}});
    const auto found = lookUp("sn=" + serial);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->status, 200);
    EXPECT_FALSE(found->bodyHas("<img"));
    EXPECT_TRUE(found->bodyHas("&lt;img src=x onerror=y&gt;"));
    for (const std::string near : {"A&b=1 %41+x", " A&b=1 AA+x ", " A&b=1 %41 x "}) {
        const auto missed = lookUp("sn=" + near);
        ASSERT_TRUE(missed);
        EXPECT_EQ(missed->status, 404) << near;
    }
}

TEST_F(ServerTest, FailingDatabaseAnswersAnErrorPageWhileOtherPagesWork) {
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(databasePath_.c_str(), &other), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(other, "DROP TABLE devices", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(other);
    const auto failed = lookUp("sn=QX2K93HT7LMP");
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->status, 500);
    EXPECT_TRUE(failed->bodyHas("服务内部错误"));
    const auto help = get("/kb/HT1349");
    ASSERT_TRUE(help);
    EXPECT_EQ(help->status, 200);
}

TEST(DatabaseFileTest, FileDeletedOrReplacedUnderTheServerIsNoLongerServed) {
    const std::pair<const char*, const char*> cases[] = {{"deleted", "已被删除"},
                                                         {"replaced", "已被另一个文件替换"}};
    for (const auto& [change, reason] : cases) {
        SCOPED_TRACE(change);
        testing_support::RunningServer running;
        const auto before = testing_support::lookUp(running.port, "sn=QX2K93HT7LMP");
        ASSERT_TRUE(before);
        EXPECT_EQ(before->status, 200);
        std::filesystem::remove(running.databasePath);
        if (std::string_view(change) == "replaced")
            DeviceStore another(running.databasePath);  // as a later import would make it
        std::this_thread::sleep_for(std::chrono::milliseconds(1100));
        const auto after = testing_support::lookUp(running.port, "sn=QX2K93HT7LMP");
        ASSERT_TRUE(after);
        EXPECT_EQ(after->status, 500);
        running.stop();
        const auto log = running.logLines();
        EXPECT_TRUE(std::ranges::any_of(log, [reason](const std::string& line) {
            return line.find(reason) != std::string::npos;
        }));
    }
}

TEST_F(ServerTest, HelpPageAnswersWithAndWithoutTheLocaleQuery) {
    for (const char* path : {"/kb/HT1349?viewlocale=zh_CN", "/kb/HT1349"}) {
        SCOPED_TRACE(path);
        const auto answer = get(path);
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->status, 200);
        EXPECT_EQ(answer->header("content-type"), kHtml);
        EXPECT_TRUE(answer->bodyHas("/sys/class/dmi/id/product_serial"));
    }
}

struct BadRequest {
    const char* method;
    const char* path;
    std::string body;
    int status;
    const char* explanation;  // in the page, or the Allow header for 405
};

TEST_F(ServerTest, BadRequestsAnswerAnErrorPageEachLoggedAndTheServiceGoesOn) {
    const BadRequest cases[] = {
        {"POST", "/inapp.php", "serial=QX2K93HT7LMP", 400, "sn="},
        {"POST", "/inapp.php", "SN=QX2K93HT7LMP", 400, "sn="},
        {"POST", "/inapp.php", "", 400, "sn="},
        {"POST", "/inapp.php", "sn=", 400, "序列号为空"},
        {"POST", "/inapp.php", "sn=AB\xC3\x28", 400, "UTF-8"},
        {"POST", "/inapp.php", "sn=\xED\xA0\x80", 400, "UTF-8"},
        {"POST", "/inapp.php", "sn=" + std::string(4094, 'A'), 413, "4 KiB"},
        {"POST", "/inapp.php", "sn=" + std::string(4093, 'A'), 404, "未找到该序列号"},
        {"GET", "/", "", 404, ""},
        {"GET", "/kb/HT1349/more", "", 404, ""},
        {"POST", "/inapp.php/", "sn=A", 404, ""},
        {"POST", "/inappXphp", "sn=A", 404, ""},
        {"TRACE", "/nowhere", "", 404, ""},
        {"GET", "/inapp.php", "", 405, "POST"},
        {"HEAD", "/inapp.php", "", 405, "POST"},
        {"PUT", "/inapp.php", "sn=A", 405, "POST"},
        {"POST", "/kb/HT1349", "sn=A", 405, "GET, HEAD"},
        {"PATCH", "/kb/HT1349", "", 405, "GET, HEAD"},
    };
    for (const auto& bad : cases) {
        SCOPED_TRACE(std::string(bad.method) + " " + bad.path + " " + bad.body.substr(0, 20));
        const auto answer = testing_support::exchange(
            port_, testing_support::requestText(port_, bad.method, bad.path, bad.body));
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->status, bad.status);
        EXPECT_EQ(answer->header("content-type"), kHtml);
        if (bad.status == 405)
            EXPECT_EQ(answer->header("allow"), bad.explanation);
        else
            EXPECT_TRUE(answer->bodyHas(bad.explanation));
    }
    const auto after = lookUp("sn=QX2K93HT7LMP");
    ASSERT_TRUE(after);
    EXPECT_EQ(after->status, 200);
    running_.stop();
    const auto logLines = running_.logLines();
    EXPECT_EQ(logLines.size(), std::size(cases) + 1);
    EXPECT_EQ(std::ranges::count_if(logLines,
                                    [](const std::string& line) {
                                        return line.find(" POST /inapp.php 413 ") !=
                                               std::string::npos;
                                    }),
              1);
}

// Connects and sends `bytes`; the caller closes the socket.
int connectAndSend(int port, std::string_view bytes) {
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(::send(socket, bytes.data(), bytes.size(), 0), static_cast<ssize_t>(bytes.size()));
    return socket;
}

TEST_F(ServerTest, StalledOrCutOffClientsDoNotHoldUpOthers) {
    for (const char* part :
         {"POST /inapp.php HT", "POST /inapp.php HTTP/1.1\r\nContent-Length: 9\r\n\r\nsn"})
        ::close(connectAndSend(port_, part));
    const int stalled[] = {
        connectAndSend(port_, "POST /inapp.php HTTP/1.1\r\nHost: loc"),
        connectAndSend(port_,
                       "POST /inapp.php HTTP/1.1\r\nHost: localhost\r\n"
                       "Content-Length: 15\r\n\r\nsn=QX2K"),
        connectAndSend(port_, ""),
    };
    const auto answer = lookUp("sn=QX2K93HT7LMP");
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, 200);
    for (const int socket : stalled)
        ::close(socket);
}

TEST_F(ServerTest, TakenPortOrUnusableAddressIsRefused) {
    LookupServer second(store_, [](std::string_view) {});
    EXPECT_FALSE(second.bind("127.0.0.1", port_));
    EXPECT_FALSE(second.bind("not an address", 0));
}

}  // namespace
}  // namespace quelmarn::service
