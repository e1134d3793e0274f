#include "platform/qt/web_engine_module_loader.h"

#include <dlfcn.h>

#include <QCoreApplication>
#include <QTimer>

#include "platform/appkit/web_engine_module.h"
#include "platform/log.h"
#include "platform/qt/native_bridge.h"

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
    // executable, so that a tree copied to another prefix still finds it. Programs run from the
    // build tree find it by its name alone, through the run path the build gives them
    // (dlopen(3) searches the calling program's DT_RUNPATH); installing takes that run path
    // away, so an installed application never loads a module from a build tree.
    const std::string candidates[] = {
        QCoreApplication::applicationDirPath().toStdString() +
            "/" QUELMARN_WEBVIEW_INSTALL_RELATIVE_PATH,
        QUELMARN_WEBVIEW_MODULE_NAME,
    };
    std::string errors;
    for (const std::string& path : candidates) {
        // Never unloaded: engines and their widgets made by the module live until the end.
        if (void* library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
            if (auto create = reinterpret_cast<CreateWebEngineFunction>(
                    ::dlsym(library, kCreateWebEngineSymbol))) {
                return LoadedModule{create, {}};
            }
            errors += std::string(::dlerror()) + "; ";
            ::dlclose(library);
        } else {
            errors += std::string(::dlerror()) + "; ";
        }
    }
    const std::string failure =
        "The web engine module could not be loaded: " + errors.substr(0, errors.size() - 2);
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
