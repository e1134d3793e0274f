#pragma once

#include <QMainWindow>

namespace platform {

// Lets the keyboard reach everything in the main window `window` (its toolbar, its search field
// and the panel its central widget shows), as users of a desktop application expect:
// - Tab and Shift+Tab go through the toolbar's commands and fields in the order they are shown,
//   then on to the panel;
// - a panel put into the window takes the keyboard, unless the user was typing elsewhere (the
//   search field); a panel view that takes the keyboard shows it with a focus frame;
// - Esc in a toolbar field gives the keyboard back to the panel;
// - in a toolbar field with nothing selected, the window's Copy shortcut is the window's (the
//   panel's copy), not the field's, which would copy nothing.
void enableKeyboardNavigation(QMainWindow& window);

}  // namespace platform
