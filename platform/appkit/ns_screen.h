#pragma once

#include <memory>

#include "platform/appkit/geometry.h"

namespace platform {

// A display.
class NSScreen {
  public:
    // The primary display (the installed Desktop's), or null when there is none.
    static std::shared_ptr<NSScreen> mainScreen();

    // A display whose device pixels are its points times the scale factor.
    NSScreen(NSRect frame, double backingScaleFactor)
        : NSScreen(
              frame, backingScaleFactor,
              NSMakeRect(frame.x * backingScaleFactor, frame.y * backingScaleFactor,
                         frame.width * backingScaleFactor, frame.height * backingScaleFactor)) {}
    // A display whose own pixels, as the display server drives it, cover `backingFrame`: at a
    // fractional scale the points are rounded and no longer multiply back to them.
    NSScreen(NSRect frame, double backingScaleFactor, NSRect backingFrame)
        : frame_(frame), backingScaleFactor_(backingScaleFactor), backingFrame_(backingFrame) {}

    // Its area in points.
    NSRect frame() const { return frame_; }
    // Device pixels per point: 1.0 on a standard display, 2.0 on a high-density one.
    double backingScaleFactor() const { return backingScaleFactor_; }
    // `rect`, in points, in the display's device pixels. The whole frame gives the display's
    // own pixel size.
    NSRect convertRectToBacking(NSRect rect) const {
        if (rect == frame_) {
            return backingFrame_;
        }
        const double x = frame_.width > 0 ? backingFrame_.width / frame_.width : 0;
        const double y = frame_.height > 0 ? backingFrame_.height / frame_.height : 0;
        return NSMakeRect(rect.x * x, rect.y * y, rect.width * x, rect.height * y);
    }

  private:
    NSRect frame_;
    double backingScaleFactor_;
    NSRect backingFrame_;
};

}  // namespace platform
