#include "platform/webview/embedded_web_engine.h"

#include <QVBoxLayout>
#include <QWebEngineHistory>
#include <QWebEngineHttpRequest>
#include <QWebEngineLoadingInfo>
#include <QWebEngineView>

#include "platform/qt/native_bridge.h"
#include "platform/webview/spare_web_view.h"
#include "platform/webview/url_error.h"

namespace platform {

EmbeddedWebEngine::EmbeddedWebEngine(WebView& view) : view_(view) {
    QWidget* host = widgetOf(view);
    if (host == nullptr) {
        return;
    }
    page_ = takeSpareWebEngineView();
    forgetWarmUpPage_ = page_ != nullptr;
    if (page_ == nullptr) {
        page_ = makeWebEngineView();
    }
    page_->setParent(host);
    // The page takes the name of the place it fills ("查询结果", say) for a screen reader.
    page_->setAccessibleName(host->accessibleName());
    if (host->layout() == nullptr) {
        auto* layout = new QVBoxLayout(host);
        layout->setContentsMargins(0, 0, 0, 0);
    }
    host->layout()->addWidget(page_);
    page_->show();
    QObject::connect(page_->page(), &QWebEnginePage::loadingChanged, page_,
                     [this](const QWebEngineLoadingInfo& info) { report(info); });
}

EmbeddedWebEngine::~EmbeddedWebEngine() {
    delete page_.data();
}

void EmbeddedWebEngine::loadRequest(const NSURLRequest& request) {
    if (page_ == nullptr) {
        return;
    }
    const bool post = request.HTTPMethod() == "POST";
    QWebEngineHttpRequest httpRequest(
        QUrl(QString::fromStdString(request.URL().absoluteString())),
        post ? QWebEngineHttpRequest::Post : QWebEngineHttpRequest::Get);
    const auto& body = request.HTTPBody();
    if (post && !body.empty()) {
        // The engine sends the bytes as they are and names no type for them.
        httpRequest.setHeader("Content-Type", "application/x-www-form-urlencoded");
        httpRequest.setPostData(QByteArray(reinterpret_cast<const char*>(body.data()),
                                           static_cast<qsizetype>(body.size())));
    }
    if (post) {
        lastPost_ = httpRequest;
    }
    page_->load(httpRequest);
}

bool EmbeddedWebEngine::repostedForReturn(const QWebEngineLoadingInfo& info) {
    // net::ERR_CACHE_MISS: a history entry that only a new POST could show.
    constexpr int kCacheMiss = -400;
    if (info.status() != QWebEngineLoadingInfo::LoadFailedStatus ||
        info.errorDomain() != QWebEngineLoadingInfo::InternalErrorDomain ||
        info.errorCode() != kCacheMiss || !lastPost_ || info.url() != lastPost_->url()) {
        return false;
    }
    // A lookup only reads, so posting it again is what the user asked for by going back.
    page_->load(*lastPost_);
    return true;
}

void EmbeddedWebEngine::report(const QWebEngineLoadingInfo& info) {
    const auto delegate = view_.frameLoadDelegate();
    if (!delegate) {
        return;
    }
    WebFrame& frame = view_.mainFrame();
    switch (info.status()) {
        case QWebEngineLoadingInfo::LoadStartedStatus: {
            const QWebEngineHistory* history = page_->history();
            historyCountAtStart_ = history->count();
            historyIndexAtStart_ = history->currentItemIndex();
            delegate->webViewDidStartProvisionalLoadForFrame(view_, frame);
            return;
        }
        case QWebEngineLoadingInfo::LoadSucceededStatus:
            forgetWarmUpPage();
            describePage();
            prepareSpareWebEngineViewSoon();
            delegate->webViewDidFinishLoadForFrame(view_, frame);
            return;
        case QWebEngineLoadingInfo::LoadStoppedStatus:
        case QWebEngineLoadingInfo::LoadFailedStatus:
            if (repostedForReturn(info)) {
                return;
            }
            prepareSpareWebEngineViewSoon();
            break;
    }
    // A page that came with an error status is a page, and it is shown.
    if (info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain) {
        describePage();
        delegate->webViewDidFinishLoadForFrame(view_, frame);
        return;
    }
    const NSError error = info.status() == QWebEngineLoadingInfo::LoadStoppedStatus
                              ? cancelledError()
                              : urlErrorOf(info);
    if (contentArrived()) {
        delegate->webViewDidFailLoadWithErrorForFrame(view_, error, frame);
    } else {
        delegate->webViewDidFailProvisionalLoadWithErrorForFrame(view_, error, frame);
    }
}

void EmbeddedWebEngine::describePage() {
    // The engine's own page tree does not reach a screen reader through the view in every
    // version; the page's text as the view's description always does.
    page_->page()->toPlainText([page = page_](const QString& text) {
        if (page != nullptr) {
            page->setAccessibleDescription(text.simplified());
        }
    });
}

void EmbeddedWebEngine::forgetWarmUpPage() {
    if (forgetWarmUpPage_) {
        // Clearing keeps the page now shown and drops the empty one before it.
        page_->history()->clear();
        forgetWarmUpPage_ = false;
    }
}

bool EmbeddedWebEngine::contentArrived() const {
    const QWebEngineHistory* history = page_->history();
    return history->count() != historyCountAtStart_ ||
           history->currentItemIndex() != historyIndexAtStart_;
}

}  // namespace platform
