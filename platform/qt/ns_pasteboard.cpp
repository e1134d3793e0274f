#include "platform/appkit/ns_pasteboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace platform {

NSPasteboard& NSPasteboard::generalPasteboard() {
    static NSPasteboard pasteboard;
    return pasteboard;
}

void NSPasteboard::setString(const std::string& text) {
    QGuiApplication::clipboard()->setText(QString::fromStdString(text));
}

std::optional<std::string> NSPasteboard::string() const {
    const QString text = QGuiApplication::clipboard()->text();
    if (text.isNull()) {
        return std::nullopt;
    }
    return text.toStdString();
}

}  // namespace platform
