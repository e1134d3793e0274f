#include "platform/webview/spare_web_view.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QWebEngineHistory>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace platform {
namespace {

QPointer<QWebEngineView>& spare() {
    static QPointer<QWebEngineView> view;
    return view;
}

// Web views must go before the application object does.
void deleteSpare() {
    delete spare().data();
}

}  // namespace

QWebEngineView* makeWebEngineView() {
    auto* view = new QWebEngineView;
    view->settings()->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    return view;
}

QWebEngineView* takeSpareWebEngineView() {
    QWebEngineView* view = spare().data();
    spare().clear();
    if (view != nullptr) {
        // The empty page it was warmed with is no page the user visited.
        view->history()->clear();
    }
    return view;
}

void prepareSpareWebEngineViewSoon() {
    static bool cleanupRegistered = false;
    if (!cleanupRegistered) {
        qAddPostRoutine(deleteSpare);
        cleanupRegistered = true;
    }
    QTimer::singleShot(0, [] {
        if (spare() == nullptr && QCoreApplication::instance() != nullptr) {
            spare() = makeWebEngineView();
            spare()->load(QUrl(QStringLiteral("about:blank")));
        }
    });
}

}  // namespace platform
