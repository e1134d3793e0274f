#pragma once

#include <QWidget>

namespace platform {

// Makes the one-line label `label` (a QLineEdit or a QLabel: a widget with a `text` property)
// show a text that does not fit in the part of it its parent shows cut with "…", and the whole
// text as its tooltip, also when the label lets the mouse pass to its parent. A text that fits is
// drawn by the widget as before and has no tooltip. Calling it again does nothing.
void elideWhenTooLong(QWidget& label);

}  // namespace platform
