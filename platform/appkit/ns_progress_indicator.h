#pragma once

#include <memory>

#include "platform/appkit/ns_view.h"

namespace platform {

// A spinning indicator that shows work in progress; hidden while stopped.
class NSProgressIndicator : public NSView {
  public:
    // A stopped, so hidden, indicator with `frame`.
    static std::shared_ptr<NSProgressIndicator> initWithFrame(NSRect frame);
    // Makes a widget the toolkit backend made (e.g. a placeholder of an interface description)
    // into a stopped indicator, which draws the spinner inside it.
    static std::shared_ptr<NSProgressIndicator> fromNative(std::unique_ptr<NativeView> native);

    void startAnimation(const std::shared_ptr<NSObject>& sender);
    void stopAnimation(const std::shared_ptr<NSObject>& sender);
    bool isAnimating() const { return animating_; }

  protected:
    using NSView::NSView;

  private:
    bool animating_ = false;
};

}  // namespace platform
