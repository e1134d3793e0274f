#pragma once

#include <memory>

#include "platform/appkit/geometry.h"

namespace platform {

// A display.
class NSScreen {
  public:
    // The primary display (the installed Desktop's), or null when there is none.
    static std::shared_ptr<NSScreen> mainScreen();

    NSScreen(NSRect frame, double backingScaleFactor)
        : frame_(frame), backingScaleFactor_(backingScaleFactor) {}

    // Its area in points.
    NSRect frame() const { return frame_; }
    // Device pixels per point: 1.0 on a standard display, 2.0 on a high-density one.
    double backingScaleFactor() const { return backingScaleFactor_; }

  private:
    NSRect frame_;
    double backingScaleFactor_;
};

}  // namespace platform
