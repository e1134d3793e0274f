#pragma once

#include <memory>

#include "platform/appkit/ns_view.h"
#include "platform/appkit/web_frame.h"
#include "platform/appkit/web_frame_load_delegate.h"

namespace platform {

class WebEngine;

// A view that shows web pages. Its engine is made with the view, not before (by the installed
// desktop, Desktop::makeWebEngine), so that a program that never shows one pays nothing for it.
class WebView : public NSView {
  public:
    static std::shared_ptr<WebView> initWithFrame(NSRect frame);
    ~WebView() override;

    WebFrame& mainFrame() { return mainFrame_; }

    std::shared_ptr<WebFrameLoadDelegate> frameLoadDelegate() const {
        return frameLoadDelegate_.lock();
    }
    // The delegate is held weakly: it is usually the controller that owns this view.
    void setFrameLoadDelegate(std::weak_ptr<WebFrameLoadDelegate> delegate) {
        frameLoadDelegate_ = std::move(delegate);
    }

  protected:
    using NSView::NSView;

  private:
    friend class NativeBridge;
    friend class WebFrame;
    WebFrame mainFrame_{*this};
    std::weak_ptr<WebFrameLoadDelegate> frameLoadDelegate_;
    std::unique_ptr<WebEngine> engine_;
};

}  // namespace platform
