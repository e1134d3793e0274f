#pragma once

#include <memory>

#include "platform/appkit/ns_view.h"

namespace platform {

// A spinning indicator that shows work in progress; hidden while stopped.
class NSProgressIndicator : public NSView {
  public:
    // A stopped, so hidden, indicator with `frame`.
    static std::shared_ptr<NSProgressIndicator> initWithFrame(NSRect frame);

    void startAnimation(const std::shared_ptr<NSObject>& sender);
    void stopAnimation(const std::shared_ptr<NSObject>& sender);
    bool isAnimating() const { return animating_; }

  protected:
    using NSView::NSView;

  private:
    friend class NativeBridge;

    bool animating_ = false;
};

}  // namespace platform
