#pragma once

#include <QPointer>
#include <QWebEngineHttpRequest>
#include <optional>

#include "platform/appkit/web_engine.h"
#include "platform/appkit/web_view.h"

class QWebEngineView;
class QWebEngineLoadingInfo;

namespace platform {

// The page of a web view: a QWebEngineView that fills the view's widget, and the translation of
// its loading reports into the view's frame-load delegate calls:
// - started: webViewDidStartProvisionalLoadForFrame;
// - succeeded, or answered with an HTTP error status (the page still shows):
//   webViewDidFinishLoadForFrame;
// - failed or stopped before any content arrived (refused, unknown host, time-out, certificate;
//   stopped: NSURLErrorCancelled): webViewDidFailProvisionalLoadWithErrorForFrame;
// - failed or stopped after its content had begun to show (the connection broke off mid-page):
//   webViewDidFailLoadWithErrorForFrame.
// Going back (or forward) to a page that answered a POST posts the request again: the engine
// keeps no copy of such a page and would otherwise fail the return with a cache miss.
// Errors are in the NSURLErrorDomain. The engine's own error page is off, so a load that fails
// before any content leaves what the view showed before.
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
    // Whether `info` is a return through the history to the page a POST answered, which the
    // engine will not show again without posting anew; if so, posts anew.
    bool repostedForReturn(const QWebEngineLoadingInfo& info);
    // Whether the load that started last has shown content: the engine then made it an entry of
    // the page's history, which a load that failed before any content does not get.
    bool contentArrived() const;
    // A view made ahead carries the empty page it was warmed with: once a page of the user's
    // has loaded, it goes from the history, so that "back" cannot lead to it.
    void forgetWarmUpPage();
    // Gives the view the shown page's text as its accessible description, for screen readers.
    void describePage();

    WebView& view_;
    QPointer<QWebEngineView> page_;
    int historyCountAtStart_ = 0;
    int historyIndexAtStart_ = 0;
    bool forgetWarmUpPage_ = false;
    std::optional<QWebEngineHttpRequest> lastPost_;  // the last POST this view loaded
};

}  // namespace platform
