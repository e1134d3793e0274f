#pragma once

#include <memory>

#include "platform/appkit/web_engine.h"
#include "platform/appkit/web_view.h"

namespace platform {

// Makes the engine of a new web view from the web engine module; the entry point hands it to the
// toolkit's desktop (makeQtDesktop). The first call loads libquelmarn_webview.so, from where
// `cmake --install` puts it relative to the application's folder (../lib/quelmarn/, or
// ../lib/<multiarch>/quelmarn/ when the build is configured for the prefix /usr), or by its name
// through the program's run path, which only programs run from the build tree have, and keeps it
// loaded for the rest of the run. When the module cannot be
// loaded it logs why once, and every engine it makes then reports each load as failed before any
// content arrived, so that the view's delegate tells the user as it would of a network failure.
// Never null.
std::unique_ptr<WebEngine> createModuleWebEngine(WebView& view);

}  // namespace platform
