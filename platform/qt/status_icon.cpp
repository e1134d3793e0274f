#include "platform/qt/status_icon.h"

#include <QApplication>

#include "platform/qt/embedded_image.h"

namespace platform {

StatusIcon::StatusIcon(std::function<void()> showWindow, std::function<void()> quit) {
    QObject::connect(menu_.addAction(QStringLiteral("显示主窗口")), &QAction::triggered, &menu_,
                     showWindow);
    menu_.addSeparator();
    QObject::connect(menu_.addAction(QStringLiteral("退出")), &QAction::triggered, &menu_,
                     std::move(quit));
    icon_.setIcon(embeddedIcon(QStringLiteral(":/images/quelmarn-64.png")));
    icon_.setToolTip(QStringLiteral("quelmarn"));
    icon_.setContextMenu(&menu_);
    // A plain click (Trigger) or a middle click on the icon asks for the window, as the
    // desktop's task bar would; the right click opens the menu.
    QObject::connect(
        &icon_, &QSystemTrayIcon::activated, &menu_,
        [showWindow = std::move(showWindow)](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick ||
                reason == QSystemTrayIcon::MiddleClick) {
                showWindow();
            }
        });
}

}  // namespace platform
