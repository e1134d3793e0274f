#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <string>

#include "service/device.h"
#include "tests/service/running_server.h"

namespace quelmarn::service::testing {
namespace {

using std::chrono::year;

constexpr const char* kForm = "application/x-www-form-urlencoded";

Device deviceWithSerial(std::string serial, std::string notes = "") {
    return Device{std::move(serial),   "笔记本电脑 15 英寸", "Notebook15,1",
                  year(2012) / 6 / 11, year(2099) / 6 / 10,  std::move(notes)};
}

class LookupTest : public ::testing::Test {
  protected:
    httplib::Result lookUp(const std::string& body, const char* contentType = kForm) {
        return client_.Post("/inapp.php", body, contentType);
    }

    RunningServer server_;
    httplib::Client client_ = server_.client();
};

TEST_F(LookupTest, RegisteredSerialAnswersTheDevicePage) {
    const auto answer = lookUp("sn=QX2K93HT7LMP");
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, 200);
    EXPECT_EQ(answer->get_header_value("Content-Type"), "text/html; charset=utf-8");
    EXPECT_NE(answer->body.find("<meta charset=\"utf-8\">"), std::string::npos);
    EXPECT_NE(answer->body.find("笔记本电脑 15 英寸"), std::string::npos);
    EXPECT_NE(answer->body.find("Notebook15,1"), std::string::npos);
}

TEST_F(LookupTest, UnregisteredSerialAnswersNotRegisteredWithTheSerial) {
    const auto answer = lookUp("sn=NOSUCHSERIAL");
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, 404);
    EXPECT_NE(answer->body.find("未找到该序列号"), std::string::npos);
    EXPECT_NE(answer->body.find("NOSUCHSERIAL"), std::string::npos);
}

TEST_F(LookupTest, AnyContentTypeIsAccepted) {
    for (const char* type : {kForm, "text/plain", "application/octet-stream", ""}) {
        const auto answer = lookUp("sn=QX2K93HT7LMP", type);
        ASSERT_TRUE(answer) << type;
        EXPECT_EQ(answer->status, 200) << type;
    }
}

TEST_F(LookupTest, SerialIsTheBytesAfterThePrefixExactly) {
    const std::string serial = " A&b=1 %41+x ";
    server_.store().saveAll(std::vector{deviceWithSerial(serial)});

    const auto found = lookUp("sn=" + serial);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->status, 200);
    EXPECT_NE(found->body.find("笔记本电脑"), std::string::npos);

    for (const std::string near : {"A&b=1 %41+x", " A&b=1 AA+x ", " A&b=1 %41 x "}) {
        const auto missed = lookUp("sn=" + near);
        ASSERT_TRUE(missed);
        EXPECT_EQ(missed->status, 404) << near;
    }
}

TEST_F(LookupTest, MarkupInSerialIsEscaped) {
    const auto answer = lookUp("sn=<script>alert(1)</script>&amp;");
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->body.find("<script>"), std::string::npos);
    EXPECT_NE(answer->body.find("&lt;script&gt;alert(1)&lt;/script&gt;&amp;amp;"),
              std::string::npos);
}

TEST_F(LookupTest, MarkupInRegisteredDeviceIsEscaped) {
    server_.store().saveAll(std::vector{deviceWithSerial("<b>X</b>", "<img src=x onerror=y>")});
    const auto answer = lookUp("sn=<b>X</b>");
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, 200);
    EXPECT_EQ(answer->body.find("<b>"), std::string::npos);
    EXPECT_EQ(answer->body.find("<img"), std::string::npos);
    EXPECT_NE(answer->body.find("&lt;img src=x onerror=y&gt;"), std::string::npos);
}

TEST_F(LookupTest, FailingDatabaseAnswersAnErrorPageAndTheServiceGoesOn) {
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(server_.databasePath().c_str(), &other), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(other, "DROP TABLE devices", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(other);

    const auto failed = lookUp("sn=QX2K93HT7LMP");
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->status, 500);
    EXPECT_NE(failed->body.find("服务内部错误"), std::string::npos);
    const auto help = client_.Get("/kb/HT1349");
    ASSERT_TRUE(help);
    EXPECT_EQ(help->status, 200);
}

struct BadBody {
    const char* name;
    std::string body;
    int status;
    const char* explanation;
};

TEST_F(LookupTest, BadBodiesAnswerAnErrorPageAndTheServiceGoesOn) {
    const BadBody cases[] = {
        {"no prefix", "serial=QX2K93HT7LMP", 400, "sn="},
        {"prefix in upper case", "SN=QX2K93HT7LMP", 400, "sn="},
        {"empty body", "", 400, "sn="},
        {"empty serial", "sn=", 400, "序列号为空"},
        {"invalid UTF-8", "sn=AB\xC3\x28", 400, "UTF-8"},
        {"surrogate in UTF-8", "sn=\xED\xA0\x80", 400, "UTF-8"},
        {"one byte over 4 KiB", "sn=" + std::string(4094, 'A'), 413, "4 KiB"},
        {"exactly 4 KiB is read", "sn=" + std::string(4093, 'A'), 404, "未找到该序列号"},
    };
    for (const auto& bad : cases) {
        const auto answer = lookUp(bad.body);
        ASSERT_TRUE(answer) << bad.name;
        EXPECT_EQ(answer->status, bad.status) << bad.name;
        EXPECT_EQ(answer->get_header_value("Content-Type"), "text/html; charset=utf-8");
        EXPECT_NE(answer->body.find(bad.explanation), std::string::npos) << bad.name;
    }
    const auto after = lookUp("sn=QX2K93HT7LMP");
    ASSERT_TRUE(after);
    EXPECT_EQ(after->status, 200);
}

TEST_F(LookupTest, EachRequestIsLoggedOnce) {
    ASSERT_TRUE(lookUp("sn=QX2K93HT7LMP"));
    ASSERT_TRUE(lookUp("sn="));
    server_.stop();
    // A line is written after its answer is sent, so the two may come in either order.
    auto lines = server_.logLines();
    ASSERT_EQ(lines.size(), 2u);
    std::sort(lines.begin(), lines.end(), [](const std::string& a, const std::string& b) {
        return a.find(" 200 ") != std::string::npos && b.find(" 200 ") == std::string::npos;
    });
    EXPECT_NE(lines[0].find(" POST /inapp.php 200 "), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find(" POST /inapp.php 400 "), std::string::npos) << lines[1];
}

}  // namespace
}  // namespace quelmarn::service::testing
