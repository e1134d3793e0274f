#include "platform/appkit/web_engine_module.h"

#include "platform/webview/embedded_web_engine.h"

extern "C" platform::WebEngine* quelmarn_create_web_engine(platform::WebView* view) {
    return new platform::EmbeddedWebEngine(*view);
}
