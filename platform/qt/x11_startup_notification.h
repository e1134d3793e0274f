#pragma once

#include <QWidget>
#include <string>

namespace platform {

// What an X11 application does with the startup id (DESKTOP_STARTUP_ID) its launcher gave it,
// when that start is answered by a window that already exists (the freedesktop.org
// startup-notification protocol): the window is tagged with the id (_NET_STARTUP_ID), the
// window manager is asked to activate it at the time the id carries ("..._TIME<n>"), the time of
// the user's launching, which its focus-stealing prevention judges, and the launch is declared
// complete ("remove: ID=..."), so that the launcher stops its busy cursor. Does nothing off X11.
void completeX11Startup(QWidget& window, const std::string& startupId);

// The message that ends the startup `startupId`, as the protocol writes it: the key and a
// quoted value with '"' and '\' escaped.
std::string startupRemoveMessage(const std::string& startupId);

// The X server time that `startupId` carries after "_TIME"; 0 (XCB_CURRENT_TIME) when none.
unsigned startupTimeOf(const std::string& startupId);

}  // namespace platform
