#include "platform/qt/window_activation.h"

#include <QByteArray>
#include <QGuiApplication>

#include "platform/qt/x11_startup_notification.h"

namespace platform {

void activateWithToken(const std::string& token, QWidget& window,
                       const std::function<void()>& activate) {
    const bool wayland = QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    if (wayland && !token.empty()) {
        qputenv("XDG_ACTIVATION_TOKEN", QByteArray::fromStdString(token));
    }
    activate();
    if (!wayland && !token.empty()) {
        completeX11Startup(window, token);
    }
}

}  // namespace platform
