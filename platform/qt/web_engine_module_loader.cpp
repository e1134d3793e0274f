#include "platform/qt/web_engine_module_loader.h"

#include <QCoreApplication>
#include <QLibrary>
#include <QTimer>

#include "platform/log.h"
#include "platform/qt/native_bridge.h"
#include "platform/webview/web_engine_module.h"

namespace platform {
namespace {

// What stands in for the engine when its module is missing: every load fails at once.
class UnavailableWebEngine : public WebEngine {
  public:
    UnavailableWebEngine(WebView& view, std::string reason)
        : view_(view), reason_(std::move(reason)) {}

    void loadRequest(const NSURLRequest& /*request*/) override {
        QWidget* widget = widgetOf(view_);
        if (widget == nullptr) {
            return;
        }
        // Loads report back later, never from inside loadRequest; the widget dies with the view,
        // and the report with it.
        QTimer::singleShot(0, widget, [this] {
            const auto delegate = view_.frameLoadDelegate();
            if (!delegate) {
                return;
            }
            delegate->webViewDidStartProvisionalLoadForFrame(view_, view_.mainFrame());
            const NSError error{kWebEngineErrorDomain, kWebEngineMissing, reason_};
            delegate->webViewDidFailProvisionalLoadWithErrorForFrame(view_, error,
                                                                     view_.mainFrame());
        });
    }

  private:
    WebView& view_;
    std::string reason_;
};

struct LoadedModule {
    CreateWebEngineFunction create = nullptr;
    std::string failure;
};

LoadedModule loadModule() {
    // Installed, the module sits in the library folder at a fixed place relative to the
    // executable, so that a tree copied to another prefix still finds it; from the build tree it
    // is where the build put it.
    const QString candidates[] = {
        QCoreApplication::applicationDirPath() +
            QStringLiteral("/" QUELMARN_WEBVIEW_INSTALL_RELATIVE_PATH),
        QStringLiteral(QUELMARN_WEBVIEW_BUILD_PATH),
    };
    QString errors;
    for (const QString& path : candidates) {
        // Never unloaded: engines and their widgets made by the module live until the end.
        auto* library = new QLibrary(path);
        if (auto create = reinterpret_cast<CreateWebEngineFunction>(
                library->resolve(kCreateWebEngineSymbol))) {
            return LoadedModule{create, {}};
        }
        errors += library->errorString() + QStringLiteral("; ");
        delete library;
    }
    const std::string failure =
        "The web engine module could not be loaded: " + errors.chopped(2).toStdString();
    NSLog("%@", {arg(failure)});
    return LoadedModule{nullptr, failure};
}

}  // namespace

std::unique_ptr<WebEngine> createModuleWebEngine(WebView& view) {
    static const LoadedModule module = loadModule();
    if (module.create == nullptr) {
        return std::make_unique<UnavailableWebEngine>(view, module.failure);
    }
    return std::unique_ptr<WebEngine>(module.create(&view));
}

}  // namespace platform
