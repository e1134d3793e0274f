#pragma once

#include <QPointer>

#include "platform/appkit/web_view.h"

class QWebEngineView;
class QWebEngineLoadingInfo;

namespace platform {

// The page of a web view: a QWebEngineView that fills the view's widget, and the translation of
// its loading reports into the view's frame-load delegate calls:
// - started: webViewDidStartProvisionalLoadForFrame;
// - succeeded, or answered with an HTTP error status (the page still shows):
//   webViewDidFinishLoadForFrame;
// - failed with no page (refused, unknown host, time-out, certificate):
//   webViewDidFailProvisionalLoadWithErrorForFrame, in the NSURLErrorDomain;
// - abandoned (stopped, or cut short by a newer load): webViewDidFailLoadWithErrorForFrame with
//   NSURLErrorCancelled, which is no network failure and no reason to alarm the user.
// The engine's own error page is off, so a failed load leaves what the view showed before.
class EmbeddedWebEngine : public WebEngine {
  public:
    explicit EmbeddedWebEngine(WebView& view);
    // Deletes the page with the engine, so that no report reaches a view that is going.
    ~EmbeddedWebEngine() override;

    // Loads a GET or a POST (any other method loads as a GET, the only other kind the engine
    // sends). A POST with a body says it is a form, as a browser's loader does.
    void loadRequest(const NSURLRequest& request) override;

  private:
    void report(const QWebEngineLoadingInfo& info);

    WebView& view_;
    QPointer<QWebEngineView> page_;
};

}  // namespace platform
