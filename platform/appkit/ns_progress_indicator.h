#pragma once

#include <memory>

#include "platform/appkit/ns_view.h"

namespace platform {

// A spinning indicator that shows work in progress; hidden while stopped.
class NSProgressIndicator : public NSView {
  public:
    static std::shared_ptr<NSProgressIndicator> initWithFrame(NSRect frame);

    void startAnimation(const std::shared_ptr<NSObject>& sender);
    void stopAnimation(const std::shared_ptr<NSObject>& sender);
    bool isAnimating() const { return animating_; }

  protected:
    using NSView::NSView;

  private:
    bool animating_ = false;
};

}  // namespace platform
