#pragma once

#include <memory>

#include "platform/appkit/ns_application.h"
#include "platform/appkit/ns_window.h"

namespace platform {

// Loads the main interface description ":/ui/MainMenu.ui" (conventions in interface_loader.h):
// makes its delegate and gives it to `application`, which also keeps the window and the toolbar
// items; connects the delegate's outlets and the actions that controls send it. Returns the main
// window, hidden; null, with a log line, when the description cannot be loaded or its delegate
// class is unknown.
std::shared_ptr<NSWindow> loadMainMenu(NSApplication& application);

}  // namespace platform
