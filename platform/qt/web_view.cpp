#include "platform/appkit/web_view.h"

#include "platform/format.h"
#include "platform/qt/native_view.h"
#include "platform/qt/replaceable_function.h"
#include "platform/qt/web_engine_module_loader.h"

namespace platform {
namespace {

ReplaceableFunction<WebEngineFactory>& engineFactory() {
    static ReplaceableFunction<WebEngineFactory> installed(createModuleWebEngine);
    return installed;
}

}  // namespace

std::string NSError::description() const {
    return stringWithFormat("Error Domain=%@ Code=%ld \"%@\"",
                            {arg(domain), arg(code), arg(localizedDescription)});
}

void WebFrame::loadRequest(const NSURLRequest& request) {
    if (view_.engine_) {
        view_.engine_->loadRequest(request);
    }
}

std::shared_ptr<WebView> WebView::initWithFrame(NSRect frame) {
    auto view = fromNative(std::make_unique<NativeView>(NativeView{new QWidget}));
    view->setFrame(frame);
    return view;
}

std::shared_ptr<WebView> WebView::fromNative(std::unique_ptr<NativeView> native) {
    auto view = std::shared_ptr<WebView>(new WebView(std::move(native)));
    view->engine_ = engineFactory().current()(*view);
    return view;
}

WebView::~WebView() = default;

WebEngineFactory installWebEngineFactory(WebEngineFactory factory) {
    return engineFactory().replace(std::move(factory));
}

}  // namespace platform
