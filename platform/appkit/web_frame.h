#pragma once

#include "platform/appkit/ns_url.h"

namespace platform {

class WebView;

// A frame of a web view: for our views, the main frame.
class WebFrame {
  public:
    explicit WebFrame(WebView& view) : view_(view) {}
    // Starts loading `request` into the frame. POST bodies go with the form content type, as a
    // browser's loader sends them. Does nothing when the view has no engine.
    void loadRequest(const NSURLRequest& request);

  private:
    WebView& view_;
};

}  // namespace platform
