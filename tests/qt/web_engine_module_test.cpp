// The real web engine, loaded from its module as the application loads it, against a server on
// the loopback interface.
#include <gtest/gtest.h>

#include <QTest>
#include <QWebEngineHistory>
#include <QWebEngineView>
#include <QWidget>

#include "platform/appkit/web_view.h"
#include "platform/qt/native_view.h"
#include "tests/qt/loopback_http_server.h"
#include "tests/qt/recording_frame_load_delegate.h"
#include "tests/qt/wait_for.h"

namespace {

using platform::NSMakeRect;
using platform::NSMutableURLRequest;
using platform::NSURL;
using platform::WebView;

class WebEngineModuleTest : public testing::Test {
  protected:
    void SetUp() override {
        view = WebView::initWithFrame(NSMakeRect(0, 0, 480, 400));
        view->setFrameLoadDelegate(delegate);
        platform::widgetOf(*view)->show();
    }

    // Loads `request` and waits for the load to end, one way or another.
    void load(const NSMutableURLRequest& request) {
        const std::size_t ended = delegate->reports.size() + 2;
        view->mainFrame().loadRequest(request);
        ASSERT_TRUE(waitFor([&] { return delegate->reports.size() >= ended; }));
    }

    static NSMutableURLRequest requestFor(const QByteArray& url) {
        return NSMutableURLRequest::initWithURL(*NSURL::URLWithString(url.toStdString()));
    }

    LoopbackHttpServer server;
    std::shared_ptr<RecordingFrameLoadDelegate> delegate =
        std::make_shared<RecordingFrameLoadDelegate>();
    std::shared_ptr<WebView> view;
};

TEST_F(WebEngineModuleTest, APageThatLoadsStartsAndFinishes) {
    load(requestFor(server.url("/page")));
    EXPECT_EQ(delegate->reports, (std::vector<std::string>{"start", "finish"}));
    const auto requests = server.requestsFor("/page");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_FALSE(requests[0].headers.contains("content-type"));
}

TEST_F(WebEngineModuleTest, APageWithAnErrorStatusIsShownAndFinishes) {
    server.answer("/missing", 404);
    load(requestFor(server.url("/missing")));
    EXPECT_EQ(delegate->reports, (std::vector<std::string>{"start", "finish"}));
}

TEST_F(WebEngineModuleTest, ARefusedConnectionFailsBeforeAnyContent) {
    const QByteArray url =
        "http://127.0.0.1:" + QByteArray::number(LoopbackHttpServer::closedPort()) + "/inapp.php";
    load(requestFor(url));
    EXPECT_EQ(delegate->reports, (std::vector<std::string>{"start", "fail provisional -1004"}));
    EXPECT_EQ(delegate->lastError.domain, "NSURLErrorDomain");
    EXPECT_FALSE(delegate->lastError.localizedDescription.empty());
}

TEST_F(WebEngineModuleTest, AFailureAfterAnEarlierPageIsStillBeforeAnyContent) {
    load(requestFor(server.url("/page")));
    load(requestFor("http://127.0.0.1:" + QByteArray::number(LoopbackHttpServer::closedPort())));
    EXPECT_EQ(delegate->reports,
              (std::vector<std::string>{"start", "finish", "start", "fail provisional -1004"}));
}

TEST_F(WebEngineModuleTest, AConnectionLostMidPageFailsAfterItsContent) {
    server.cutShort("/partial");
    load(requestFor(server.url("/partial")));
    EXPECT_EQ(delegate->reports, (std::vector<std::string>{"start", "fail -1005"}));
}

TEST_F(WebEngineModuleTest, APostGoesAsAFormWithItsBodyUnchanged) {
    auto request = requestFor(server.url("/inapp.php"));
    request.setHTTPMethod("POST");
    request.setHTTPBody(
        *platform::dataUsingEncoding("sn=C02X K0&x=序", platform::NSUTF8StringEncoding));
    load(request);

    EXPECT_EQ(delegate->reports, (std::vector<std::string>{"start", "finish"}));
    const auto requests = server.requestsFor("/inapp.php");
    ASSERT_EQ(requests.size(), 1u);
    const auto& received = requests[0];
    EXPECT_EQ(received.method, "POST");
    EXPECT_EQ(received.headers.value("content-type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(received.body, QByteArray("sn=C02X K0&x=序"));
}

TEST_F(WebEngineModuleTest, TheEngineFillsTheViewsWidget) {
    load(requestFor(server.url("/page")));
    const QWidget* host = platform::widgetOf(*view);
    const auto pages = host->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_EQ(pages.size(), 1);
    EXPECT_EQ(pages[0]->geometry(), host->rect());
}

TEST_F(WebEngineModuleTest, ALaterViewTakesAWarmedPageWithNoHistoryOfItsOwn) {
    load(requestFor(server.url("/page")));
    // The view made ahead after that load has its empty page loaded by now.
    QTest::qWait(500);
    const auto later = WebView::initWithFrame(NSMakeRect(0, 0, 480, 400));
    const auto laterDelegate = std::make_shared<RecordingFrameLoadDelegate>();
    later->setFrameLoadDelegate(laterDelegate);
    platform::widgetOf(*later)->show();
    later->mainFrame().loadRequest(requestFor(server.url("/second")));
    ASSERT_TRUE(waitFor([&] { return laterDelegate->reports.size() >= 2; }));
    EXPECT_EQ(laterDelegate->reports, (std::vector<std::string>{"start", "finish"}));
    const auto* page = platform::widgetOf(*later)->findChild<QWebEngineView*>();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->history()->count(), 1);
}

}  // namespace
