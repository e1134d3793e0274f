#pragma once

#include <memory>

#include "platform/appkit/ns_application.h"
#include "platform/appkit/ns_window.h"

namespace platform {

// Loads the main interface description ":/ui/MainMenu.ui" (conventions in interface_loader.h)
// and puts the widgets of its toolbars in place. Returns its main window, hidden; null, with a
// log line, when the description cannot be loaded or its root is no QMainWindow.
std::shared_ptr<NSWindow> loadMainWindow();

// Makes the delegate whose class the main window's description names and gives it to
// `application`, which also keeps the window and the toolbar items; connects the delegate's
// outlets and the actions that the window's controls send it. Returns false, with a log line,
// when the delegate class is unknown.
bool connectApplicationDelegate(NSApplication& application,
                                const std::shared_ptr<NSWindow>& window);

}  // namespace platform
