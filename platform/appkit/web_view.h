#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/appkit/ns_url.h"
#include "platform/appkit/ns_view.h"

namespace platform {

class WebView;
class WebFrame;

// Why a load failed.
struct NSError {
    std::string domain;  // e.g. "NSURLErrorDomain"
    long code = 0;
    std::string localizedDescription;

    // "Error Domain=<domain> Code=<code> \"<description>\"", as logs show an error.
    std::string description() const;
};

// The error a web view reports for every load when it has no engine to load with (the toolkit's
// web engine module could not be loaded): not a network failure.
inline constexpr const char* kWebEngineErrorDomain = "QuelmarnWebEngineErrorDomain";
inline constexpr long kWebEngineMissing = 1;

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

// The engine that loads and renders pages for a web view.
class WebEngine {
  public:
    virtual ~WebEngine() = default;
    // Starts loading `request` asynchronously; reports through `view`'s delegate.
    virtual void loadRequest(const NSURLRequest& request) = 0;
};

// A frame of a web view: for our views, the main frame.
class WebFrame {
  public:
    explicit WebFrame(WebView& view) : view_(view) {}
    // Starts loading `request` into the frame. POST bodies go with the form content type, as a
    // browser's loader sends them.
    void loadRequest(const NSURLRequest& request);

  private:
    WebView& view_;
};

// A view that shows web pages. Its engine is created with the view, not before, so that a
// program that never shows one pays nothing for it.
class WebView : public NSView {
  public:
    static std::shared_ptr<WebView> initWithFrame(NSRect frame);
    // Makes a widget the toolkit backend made (e.g. a placeholder of an interface description)
    // into a web view whose page fills it.
    static std::shared_ptr<WebView> fromNative(std::unique_ptr<NativeView> native);
    ~WebView() override;

    WebFrame& mainFrame() { return mainFrame_; }

    std::shared_ptr<WebFrameLoadDelegate> frameLoadDelegate() const {
        return frameLoadDelegate_.lock();
    }
    // The delegate is held weakly: it is usually the controller that owns this view.
    void setFrameLoadDelegate(std::weak_ptr<WebFrameLoadDelegate> delegate) {
        frameLoadDelegate_ = std::move(delegate);
    }

    WebEngine& engine() { return *engine_; }

  protected:
    using NSView::NSView;

  private:
    friend class WebFrame;
    WebFrame mainFrame_{*this};
    std::weak_ptr<WebFrameLoadDelegate> frameLoadDelegate_;
    std::unique_ptr<WebEngine> engine_;
};

// Makes the engine for a new web view. The toolkit's web engine (loaded on first use) unless a
// test installs its own; returns the factory it replaces (empty puts the toolkit's back).
using WebEngineFactory = std::function<std::unique_ptr<WebEngine>(WebView& view)>;
WebEngineFactory installWebEngineFactory(WebEngineFactory factory);

}  // namespace platform
