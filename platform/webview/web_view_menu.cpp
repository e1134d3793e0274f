#include "platform/webview/web_view_menu.h"

#include <QAction>
#include <QMenu>
#include <QWebEngineView>
#include <array>

namespace platform {
namespace {

// Commands that open a window or tab, save to disk or inspect: a panel has none of those.
constexpr std::array kCommandsWithoutEffect = {
    QWebEnginePage::OpenLinkInNewWindow,
    QWebEnginePage::OpenLinkInNewTab,
    QWebEnginePage::OpenLinkInNewBackgroundTab,
    QWebEnginePage::DownloadLinkToDisk,
    QWebEnginePage::DownloadImageToDisk,
    QWebEnginePage::DownloadMediaToDisk,
    QWebEnginePage::InspectElement,
    QWebEnginePage::SavePage,
    QWebEnginePage::ViewSource,
};

void showMenu(QWebEngineView& view, const QPoint& position) {
    QMenu* menu = view.createStandardContextMenu();
    for (const QWebEnginePage::WebAction command : kCommandsWithoutEffect) {
        menu->removeAction(view.pageAction(command));
    }
    // Separators left with nothing between them would show as double lines.
    QAction* previous = nullptr;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator() && (previous == nullptr || previous->isSeparator())) {
            menu->removeAction(action);
        } else {
            previous = action;
        }
    }
    if (previous != nullptr && previous->isSeparator()) {
        menu->removeAction(previous);
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(view.mapToGlobal(position));
}

}  // namespace

void offerWorkingPageCommands(QWebEngineView& view) {
    view.setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(&view, &QWidget::customContextMenuRequested, &view,
                     [&view](const QPoint& position) { showMenu(view, position); });
    auto* back = new QAction(&view);
    back->setShortcuts(QKeySequence::Back);
    back->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(back, &QAction::triggered, &view, [&view] { view.back(); });
    view.addAction(back);
}

}  // namespace platform
