#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/appkit/ns_view.h"

namespace platform {

// The widget behind a view. The pointer clears itself when Qt deletes the widget (with its
// parent, say), so a view may outlive its widget and then does nothing.
struct NativeView {
    QPointer<QWidget> widget;
};

// The widget of `view`, or null when it is gone.
inline QWidget* widgetOf(const NSView& view) {
    return view.native().widget.data();
}

}  // namespace platform
