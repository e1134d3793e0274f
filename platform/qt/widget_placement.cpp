#include "platform/qt/widget_placement.h"

#include <QWidget>
#include <cmath>

namespace platform {
namespace {

int roundToPoint(double value) {
    return static_cast<int>(std::lround(value));
}

}  // namespace

QRect qtGeometryOf(NSRect frame, int parentHeight) {
    const int left = roundToPoint(frame.x);
    const int right = roundToPoint(frame.x + frame.width);
    const int top = roundToPoint(parentHeight - (frame.y + frame.height));
    const int bottom = roundToPoint(parentHeight - frame.y);
    return QRect(left, top, right - left, bottom - top);
}

NSRect frameOf(QRect geometry, int parentHeight) {
    return NSMakeRect(geometry.x(), parentHeight - (geometry.y() + geometry.height()),
                      geometry.width(), geometry.height());
}

void placeWidget(QWidget& widget, NSRect frame) {
    if (QWidget* parent = widget.parentWidget()) {
        widget.setGeometry(qtGeometryOf(frame, parent->height()));
    } else {
        widget.resize(qtGeometryOf(frame, 0).size());
    }
}

void reparentWidget(QWidget& widget, QWidget* parent) {
    // setParent hides the widget; only a widget that someone hid on purpose stays hidden.
    const bool hiddenOnPurpose =
        widget.testAttribute(Qt::WA_WState_ExplicitShowHide) && widget.isHidden();
    widget.setParent(parent);
    if (parent != nullptr && !hiddenOnPurpose) {
        widget.show();
    }
}

}  // namespace platform
