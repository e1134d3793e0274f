#pragma once

#include "platform/appkit/ns_error.h"

namespace platform {

class WebView;
class WebFrame;

// Told how the loads of a web view's frames go. Every report comes on the main thread.
class WebFrameLoadDelegate {
  public:
    virtual ~WebFrameLoadDelegate() = default;
    // A load has started and no content has arrived yet.
    virtual void webViewDidStartProvisionalLoadForFrame(WebView& sender, WebFrame& frame) = 0;
    // The page is loaded and shown, also a page that came with an HTTP error status.
    virtual void webViewDidFinishLoadForFrame(WebView& sender, WebFrame& frame) = 0;
    // The load failed before any content arrived (no connection, unknown host, time-out).
    // The view keeps what it showed before.
    virtual void webViewDidFailProvisionalLoadWithErrorForFrame(WebView& sender,
                                                                const NSError& error,
                                                                WebFrame& frame) = 0;
    // The load failed after its content had begun to arrive.
    virtual void webViewDidFailLoadWithErrorForFrame(WebView& sender, const NSError& error,
                                                     WebFrame& frame) = 0;
};

}  // namespace platform
