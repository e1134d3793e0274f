#pragma once

#include <QRect>

#include "platform/appkit/geometry.h"

class QWidget;

namespace platform {

// Views measure from their parent's bottom-left corner with y growing upward; Qt measures from
// the top-left with y growing downward. Both work in points (Qt's device-independent pixels).

// The Qt geometry of `frame` inside a parent `parentHeight` points high. Edges are rounded to
// whole points, so a frame and its neighbour never overlap or leave a gap.
QRect qtGeometryOf(NSRect frame, int parentHeight);

// The frame of a widget with Qt geometry `geometry` inside a parent `parentHeight` points high.
NSRect frameOf(QRect geometry, int parentHeight);

// Places `widget` at `frame` in its parent widget, or only sizes it when it has none.
void placeWidget(QWidget& widget, NSRect frame);

// Makes `widget` a child of `parent` (or a hidden top-level when `parent` is null) on top of its
// siblings. It is shown in its new parent unless it had been hidden on purpose, as a stopped
// progress indicator is.
void reparentWidget(QWidget& widget, QWidget* parent);

}  // namespace platform
