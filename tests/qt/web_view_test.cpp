#include "platform/appkit/web_view.h"

#include <gtest/gtest.h>

#include "tests/qt/recording_frame_load_delegate.h"
#include "tests/qt/scripted_web_engine.h"

namespace {

TEST(WebViewTest, TheMainFrameHandsRequestsToTheViewsEngineAndTheDelegateIsHeldWeakly) {
    ScriptedWebEngineFactory factory;
    auto view = platform::WebView::initWithFrame(platform::NSMakeRect(0, 0, 480, 400));
    auto request = platform::NSMutableURLRequest::initWithURL(
        *platform::NSURL::URLWithString("http://lookup.example/inapp.php"));
    request.setHTTPMethod("POST");
    request.setHTTPBody(*platform::dataUsingEncoding("sn=C02X", platform::NSUTF8StringEncoding));
    view->mainFrame().loadRequest(request);

    ASSERT_EQ(factory.engines.size(), 1u);
    EXPECT_EQ(&view->engine(), factory.engines[0]);
    ASSERT_EQ(factory.engines[0]->requests.size(), 1u);
    const auto& sent = factory.engines[0]->requests[0];
    EXPECT_EQ(sent.URL().absoluteString(), "http://lookup.example/inapp.php");
    EXPECT_EQ(sent.HTTPMethod(), "POST");
    EXPECT_EQ(sent.HTTPBody(), request.HTTPBody());

    auto delegate = std::make_shared<RecordingFrameLoadDelegate>();
    view->setFrameLoadDelegate(delegate);
    EXPECT_EQ(view->frameLoadDelegate(), delegate);
    delegate.reset();
    EXPECT_EQ(view->frameLoadDelegate(), nullptr);
}

}  // namespace
