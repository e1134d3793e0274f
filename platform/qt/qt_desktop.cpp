#include "platform/qt/qt_desktop.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QScreen>
#include <QUrl>

#include "platform/appkit/ns_alert.h"
#include "platform/appkit/ns_screen.h"
#include "platform/appkit/web_engine.h"
#include "platform/qt/screen_pixels.h"

namespace platform {
namespace {

class QtDesktop : public Desktop {
  public:
    explicit QtDesktop(WebEngineMaker makeWebEngine) : makeWebEngine_(makeWebEngine) {}

    long runModal(const NSAlert& alert) override {
        QMessageBox box(QMessageBox::Information, QStringLiteral("quelmarn"),
                        QString::fromStdString(alert.messageText()), QMessageBox::NoButton,
                        QApplication::activeWindow());
        box.setInformativeText(QString::fromStdString(alert.informativeText()));
        // What an alert says may be needed elsewhere: an address to open by hand, say.
        box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        box.addButton(QStringLiteral("好"), QMessageBox::AcceptRole);
        box.setWindowModality(Qt::ApplicationModal);
        box.exec();
        return NSAlertFirstButtonReturn;
    }

    std::shared_ptr<NSScreen> mainScreen() override {
        const QScreen* screen =
            QGuiApplication::instance() != nullptr ? QGuiApplication::primaryScreen() : nullptr;
        if (screen == nullptr) {
            return nullptr;
        }
        // Qt's geometry is already in device-independent pixels, which are points. The main
        // screen's origin is the origin of the whole desktop.
        const QRect geometry = screen->geometry();
        const QSize pixels = screenPixelSize(*screen);
        return std::make_shared<NSScreen>(NSMakeRect(0, 0, geometry.width(), geometry.height()),
                                          screen->devicePixelRatio(),
                                          NSMakeRect(0, 0, pixels.width(), pixels.height()));
    }

    bool openURL(const NSURL& url) override {
        return QDesktopServices::openUrl(QUrl(QString::fromStdString(url.absoluteString())));
    }

    std::unique_ptr<WebEngine> makeWebEngine(WebView& view) override {
        return makeWebEngine_ != nullptr ? makeWebEngine_(view) : nullptr;
    }

  private:
    WebEngineMaker makeWebEngine_;
};

}  // namespace

std::shared_ptr<Desktop> makeQtDesktop(WebEngineMaker makeWebEngine) {
    return std::make_shared<QtDesktop>(makeWebEngine);
}

}  // namespace platform
