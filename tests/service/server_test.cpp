// The lookup service's answers end to end: each test starts its own server on a free loopback
// port with a database of its own (the sample devices) and talks to it over real HTTP.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <thread>

#include "service/lookup_server.h"
#include "tests/service/http_client.h"
#include "tests/service/running_server.h"

namespace quelmarn::service {
namespace {

using std::chrono::year;
using testing_support::HttpResponse;
using testing_support::RawConnection;

class ServerTest : public ::testing::Test {
  protected:
    std::optional<HttpResponse> lookUp(const std::string& body, std::string_view fields = {}) {
        return testing_support::exchange(
            port_, testing_support::requestText(port_, "POST", "/inapp.php", body, fields));
    }

    testing_support::RunningServer running_;
    const int port_ = running_.port;
};

TEST_F(ServerTest, RegisteredSerialAnswersTheDevicePageWhateverTheContentType) {
    for (const char* type : {"application/x-www-form-urlencoded", "text/plain", ""}) {
        SCOPED_TRACE(type);
        const auto answer =
            lookUp("sn=QX2K93HT7LMP", *type ? std::string("Content-Type: ") + type + "\r\n" : "");
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->status, 200);
        EXPECT_EQ(answer->header("Content-Type"), "text/html; charset=utf-8");
        for (const char* shown : {"笔记本电脑 15 英寸", "Notebook15,1", "2023 年 3 月 14 日"})
            EXPECT_TRUE(answer->bodyHas(shown)) << shown;
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
    running_.store.saveAll(std::vector{Device{serial, "型号", "X1", year(2012) / 6 / 11,
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
    ASSERT_EQ(sqlite3_open(running_.databasePath.c_str(), &other), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(other, "DROP TABLE devices", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(other);
    const auto failed = lookUp("sn=QX2K93HT7LMP");
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->status, 500);
    EXPECT_TRUE(failed->bodyHas("服务内部错误"));
    const auto help =
        testing_support::exchange(port_, testing_support::requestText(port_, "GET", "/kb/HT1349"));
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
        EXPECT_TRUE(std::ranges::any_of(running.logLines(), [reason](const std::string& line) {
            return line.find(reason) != std::string::npos;
        }));
    }
}

TEST_F(ServerTest, StalledOrCutOffClientsDoNotHoldUpOthers) {
    const auto sendOn = [this](std::string_view sent) {
        auto connection = std::make_unique<RawConnection>(port_);
        connection->send(sent);
        return connection;
    };
    sendOn("POST /inapp.php HT");  // each closed again at once
    sendOn("POST /inapp.php HTTP/1.1\r\nContent-Length: 9\r\n\r\nsn");
    const std::unique_ptr<RawConnection> stalled[] = {
        sendOn("POST /inapp.php HTTP/1.1\r\nHost: loc"),
        sendOn("POST /inapp.php HTTP/1.1\r\nHost: localhost\r\nContent-Length: 15\r\n\r\nsn=QX2K"),
        sendOn(""),
    };
    const auto answer = lookUp("sn=QX2K93HT7LMP");
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, 200);
}

TEST_F(ServerTest, TakenPortOrUnusableAddressIsRefused) {
    LookupServer second(running_.store, [](std::string_view) {});
    EXPECT_FALSE(second.bind("127.0.0.1", port_));
    EXPECT_FALSE(second.bind("not an address", 0));
}

}  // namespace
}  // namespace quelmarn::service
