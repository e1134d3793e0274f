#pragma once

#include <QMenu>
#include <QSystemTrayIcon>
#include <functional>

namespace platform {

// The application's icon in the desktop's tray (a status notifier, or the older system tray),
// with a menu of 显示主窗口 and 退出. With the main window closed it is the way back to the
// window and the way to quit; clicking the icon shows the window too.
class StatusIcon {
  public:
    // `showWindow` and `quit` run on the main thread when the user picks them. The icon is
    // hidden until show().
    StatusIcon(std::function<void()> showWindow, std::function<void()> quit);

    void show() { icon_.show(); }
    const QMenu& menu() const { return menu_; }

  private:
    QMenu menu_;
    QSystemTrayIcon icon_;
};

}  // namespace platform
