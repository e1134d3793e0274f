#include "platform/webview/spare_web_view.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include "platform/webview/web_view_menu.h"

namespace platform {
namespace {

// Set on the spare view once its empty page has loaded.
constexpr const char* kWarm = "quelmarnWarm";

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
    offerWorkingPageCommands(*view);
    return view;
}

QWebEngineView* takeSpareWebEngineView() {
    QWebEngineView* view = spare().data();
    // One still loading its empty page would report that load to its new owner.
    if (view == nullptr || !view->property(kWarm).toBool()) {
        return nullptr;
    }
    spare().clear();
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
            QWebEngineView* view = makeWebEngineView();
            QObject::connect(view, &QWebEngineView::loadFinished, view,
                             [view] { view->setProperty(kWarm, true); });
            view->load(QUrl(QStringLiteral("about:blank")));
            spare() = view;
        }
    });
}

}  // namespace platform
