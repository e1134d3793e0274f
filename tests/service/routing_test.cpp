#include <gtest/gtest.h>

#include <string>

#include "tests/service/running_server.h"

namespace quelmarn::service::testing {
namespace {

struct RouteCase {
    const char* method;
    const char* path;
    int status;
    const char* allow;  // expected Allow header, "" when none
};

class RoutingTest : public ::testing::Test {
  protected:
    httplib::Result send(const std::string& method, const std::string& path) {
        httplib::Request request;
        request.method = method;
        request.path = path;
        return client_.send(request);
    }

    RunningServer server_;
    httplib::Client client_ = server_.client();
};

TEST_F(RoutingTest, HelpPageAnswersWithAndWithoutTheLocaleQuery) {
    for (const char* path : {"/kb/HT1349?viewlocale=zh_CN", "/kb/HT1349"}) {
        const auto answer = client_.Get(path);
        ASSERT_TRUE(answer) << path;
        EXPECT_EQ(answer->status, 200) << path;
        EXPECT_EQ(answer->get_header_value("Content-Type"), "text/html; charset=utf-8");
        EXPECT_NE(answer->body.find("/sys/class/dmi/id/product_serial"), std::string::npos);
        EXPECT_NE(answer->body.find("quelmarn"), std::string::npos);
        EXPECT_NE(answer->body.find("Enter"), std::string::npos);
    }
}

TEST_F(RoutingTest, PathsAndMethodsGetTheirStatus) {
    const RouteCase cases[] = {
        {"HEAD", "/kb/HT1349", 200, ""},           {"GET", "/", 404, ""},
        {"GET", "/kb/HT1349/more", 404, ""},       {"POST", "/inappXphp", 404, ""},
        {"POST", "/inapp.php/", 404, ""},          {"TRACE", "/nowhere", 404, ""},
        {"GET", "/inapp.php", 405, "POST"},        {"HEAD", "/inapp.php", 405, "POST"},
        {"PUT", "/inapp.php", 405, "POST"},        {"DELETE", "/inapp.php", 405, "POST"},
        {"OPTIONS", "/inapp.php", 405, "POST"},    {"POST", "/kb/HT1349", 405, "GET, HEAD"},
        {"PATCH", "/kb/HT1349", 405, "GET, HEAD"}, {"TRACE", "/kb/HT1349", 405, "GET, HEAD"},
    };
    for (const auto& route : cases) {
        const auto answer = send(route.method, route.path);
        const std::string name = std::string(route.method) + " " + route.path;
        ASSERT_TRUE(answer) << name;
        EXPECT_EQ(answer->status, route.status) << name;
        EXPECT_EQ(answer->get_header_value("Allow"), route.allow) << name;
        EXPECT_EQ(answer->get_header_value("Content-Type"), "text/html; charset=utf-8") << name;
    }
}

}  // namespace
}  // namespace quelmarn::service::testing
