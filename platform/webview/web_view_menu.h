#pragma once

class QWebEngineView;

namespace platform {

// Gives `view` the engine's context menu without the commands that need what a panel does not
// have (another window or tab, a download folder, developer tools), so every item offered does
// something; and lets the keyboard and the mouse's back button go back to the page a followed
// link left, as the menu's 后退 does.
void offerWorkingPageCommands(QWebEngineView& view);

}  // namespace platform
