#include "platform/qt/window_activation.h"

#include <QByteArray>
#include <QGuiApplication>

namespace platform {

void useActivationToken(const std::string& token) {
    if (token.empty()) {
        return;
    }
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        qputenv("XDG_ACTIVATION_TOKEN", QByteArray::fromStdString(token));
    }
}

}  // namespace platform
