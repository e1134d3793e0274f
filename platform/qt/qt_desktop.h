#pragma once

#include <memory>

#include "platform/appkit/desktop.h"

namespace platform {

// Makes the engine of a new web view (createModuleWebEngine, say); may give null.
using WebEngineMaker = std::unique_ptr<WebEngine> (*)(WebView& view);

// The desktop of the Qt toolkit, to install (installDesktop) once the toolkit's application
// object exists or is about to: alerts are application-modal message boxes with one button, 好;
// the main screen is Qt's primary screen, in points with its device pixel ratio and its own
// pixel size (screen_pixels.h); URLs go to the
// desktop's handler (QDesktopServices); web views get their engines from `makeWebEngine`.
std::shared_ptr<Desktop> makeQtDesktop(WebEngineMaker makeWebEngine);

}  // namespace platform
