#include "platform/appkit/web_view.h"

#include "platform/appkit/desktop.h"
#include "platform/appkit/web_engine.h"
#include "platform/qt/native_bridge.h"

namespace platform {

void WebFrame::loadRequest(const NSURLRequest& request) {
    if (view_.engine_) {
        view_.engine_->loadRequest(request);
    }
}

std::shared_ptr<WebView> WebView::initWithFrame(NSRect frame) {
    return placedAt(NativeBridge::wrapWebView(*new QWidget), frame);
}

std::shared_ptr<WebView> NativeBridge::wrapWebView(QWidget& widget) {
    auto view =
        std::shared_ptr<WebView>(new WebView(std::make_unique<NativeView>(NativeView{&widget})));
    view->engine_ = currentDesktop().makeWebEngine(*view);
    return view;
}

WebView::~WebView() = default;

}  // namespace platform
