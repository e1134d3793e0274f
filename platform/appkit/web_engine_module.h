#pragma once

#include "platform/appkit/web_engine.h"
#include "platform/appkit/web_view.h"

// The web engine lives in a module of its own, libquelmarn_webview.so, that the application loads
// the first time it shows a web view: the engine's libraries are large, and a start-up that never
// needs them should not load them. This is the module's whole interface.

// Makes the engine of `view`, whose widget it fills with the page, and which it reports to. The
// caller owns the engine and deletes it before the view's widget and before the application
// object. Never null.
extern "C" platform::WebEngine* quelmarn_create_web_engine(platform::WebView* view);

namespace platform {

using CreateWebEngineFunction = WebEngine* (*)(WebView* view);
inline constexpr const char* kCreateWebEngineSymbol = "quelmarn_create_web_engine";

}  // namespace platform
