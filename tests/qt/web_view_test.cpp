#include "platform/appkit/web_view.h"

#include <gtest/gtest.h>

#include <QWidget>

#include "platform/qt/native_view.h"
#include "tests/qt/recording_frame_load_delegate.h"
#include "tests/qt/scripted_web_engine.h"

namespace {

using platform::NSMakeRect;
using platform::NSURL;
using platform::WebView;

TEST(WebViewTest, EachViewGetsAnEngineFromTheFactoryWithTheView) {
    ScriptedWebEngineFactory factory;
    WebView* seen = nullptr;
    auto previous = platform::installWebEngineFactory([&](WebView& view) {
        seen = &view;
        return std::make_unique<ScriptedWebEngine>();
    });
    auto view = WebView::initWithFrame(NSMakeRect(0, 0, 480, 400));

    EXPECT_EQ(seen, view.get());
    EXPECT_EQ(platform::widgetOf(*view)->size(), QSize(480, 400));
    platform::installWebEngineFactory(previous);
}

TEST(WebViewTest, TheMainFrameHandsItsRequestsToTheEngine) {
    ScriptedWebEngineFactory factory;
    auto view = WebView::initWithFrame(NSMakeRect(0, 0, 480, 400));
    auto request = platform::NSMutableURLRequest::initWithURL(
        *NSURL::URLWithString("http://lookup.example/inapp.php"));
    request.setHTTPMethod("POST");
    request.setHTTPBody(*platform::dataUsingEncoding("sn=C02X", platform::NSUTF8StringEncoding));

    view->mainFrame().loadRequest(request);

    ASSERT_EQ(factory.engines.size(), 1u);
    ASSERT_EQ(factory.engines[0]->requests.size(), 1u);
    EXPECT_EQ(&view->engine(), factory.engines[0]);
    const auto& sent = factory.engines[0]->requests[0];
    EXPECT_EQ(sent.URL().absoluteString(), "http://lookup.example/inapp.php");
    EXPECT_EQ(sent.HTTPMethod(), "POST");
    EXPECT_EQ(sent.HTTPBody(), request.HTTPBody());
}

TEST(WebViewTest, TheDelegateIsHeldWeakly) {
    ScriptedWebEngineFactory factory;
    auto view = WebView::initWithFrame(NSMakeRect(0, 0, 480, 400));
    auto delegate = std::make_shared<RecordingFrameLoadDelegate>();
    view->setFrameLoadDelegate(delegate);
    EXPECT_EQ(view->frameLoadDelegate(), delegate);
    delegate.reset();
    EXPECT_EQ(view->frameLoadDelegate(), nullptr);
}

TEST(WebViewTest, AFactoryThatGivesNoEngineLeavesLoadsUndone) {
    auto previous = platform::installWebEngineFactory(
        [](WebView&) { return std::unique_ptr<platform::WebEngine>(); });
    auto view = WebView::initWithFrame(NSMakeRect(0, 0, 480, 400));
    view->mainFrame().loadRequest(
        platform::NSMutableURLRequest::initWithURL(*NSURL::URLWithString("http://h/")));
    platform::installWebEngineFactory(previous);
}

TEST(NSErrorTest, DescribesItselfAsLogsShowAnError) {
    const platform::NSError error{"NSURLErrorDomain", -1004, "Could not connect to the server."};
    EXPECT_EQ(error.description(),
              "Error Domain=NSURLErrorDomain Code=-1004 \"Could not connect to the server.\"");
}

}  // namespace
