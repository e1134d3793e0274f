#pragma once

#include <QWidget>
#include <memory>

#include "platform/appkit/ns_view.h"
#include "platform/qt/native_view.h"

// A plain view of `width` x `height` points on screen, for subviews to be placed in.
inline std::shared_ptr<platform::NSView> shownPanel(double width, double height) {
    auto panel = platform::NSView::initWithFrame(platform::NSMakeRect(0, 0, width, height));
    platform::widgetOf(*panel)->show();
    return panel;
}
