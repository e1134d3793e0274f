#include "platform/qt/window_closing.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>

namespace platform {
namespace {

class CloseHider : public QObject {
  public:
    CloseHider(QWidget& window, std::function<bool()> quitsInstead)
        : QObject(&window), window_(window), quitsInstead_(std::move(quitsInstead)) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        // A session that ends closes every window first, and one that refuses would stop the
        // user's logging out.
        if (watched != &window_ || event->type() != QEvent::Close || qGuiApp->isSavingSession()) {
            return false;
        }
        // An accepted close makes the toolkit destroy the native window; the next show makes a
        // new one, which the desktop takes for another window (a new id on X11, a new surface on
        // Wayland, placed anew). A refused close leaves it alone; hiding it is all that is asked.
        event->ignore();
        window_.hide();
        if (quitsInstead_()) {
            QCoreApplication::exit(0);
        }
        return true;
    }

  private:
    QWidget& window_;
    std::function<bool()> quitsInstead_;
};

}  // namespace

void hideOnClose(QWidget& window, std::function<bool()> quitsInstead) {
    window.installEventFilter(new CloseHider(window, std::move(quitsInstead)));
}

}  // namespace platform
