#pragma once

#include <QWidget>
#include <functional>

namespace platform {

// Makes closing `window` (its title bar's close button, Ctrl+W) hide it instead of letting the
// toolkit take its native window down: every way back then shows the same window, where it was,
// with what it showed. `quitsInstead` is asked at each close; when it answers yes (nothing is
// left to bring the window back from, as on a desktop without a tray), the close ends the event
// loop instead.
void hideOnClose(QWidget& window, std::function<bool()> quitsInstead);

}  // namespace platform
