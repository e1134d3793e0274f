#include "platform/appkit/ns_window.h"

#include <QLayout>

#include "platform/qt/native_bridge.h"

namespace platform {
namespace {

// The widget below the toolbar; a window made without one gets an empty one.
QWidget& centralWidgetOf(QMainWindow& window) {
    if (window.centralWidget() == nullptr) {
        window.setCentralWidget(new QWidget);
    }
    // Lay the window out now, not at its first show, at the smallest size that holds its content:
    // the content view then has its final size when the first panel is placed in it, from the
    // bottom up, and that panel fills it.
    window.ensurePolished();
    window.resize(window.minimumSizeHint());
    window.layout()->invalidate();
    window.layout()->activate();
    // The panels are laid out once, from the content view's size, and do not follow a resize: a
    // larger window would only add empty space and place the next panel from its new bottom
    // edge. The window keeps the size they were made for.
    window.setFixedSize(window.size());
    return *window.centralWidget();
}

}  // namespace

NSWindow::NSWindow(std::unique_ptr<NativeWindow> native)
    : native_(std::move(native)),
      contentView_(NativeBridge::wrapView(centralWidgetOf(*native_->window))) {}

std::shared_ptr<NSWindow> NativeBridge::wrapWindow(QMainWindow& window) {
    return std::shared_ptr<NSWindow>(
        new NSWindow(std::make_unique<NativeWindow>(NativeWindow{&window})));
}

NSWindow::~NSWindow() {
    // The window's widgets go with it; views still held elsewhere find theirs gone.
    delete native_->window.data();
}

void NSWindow::makeKeyAndOrderFront(const std::shared_ptr<NSObject>& /*sender*/) {
    QMainWindow* window = native_->window;
    if (window == nullptr) {
        return;
    }
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

void NSWindow::close() {
    if (QMainWindow* window = native_->window) {
        window->close();
    }
}

bool NSWindow::isVisible() const {
    const QMainWindow* window = native_->window;
    return window != nullptr && window->isVisible();
}

std::string NSWindow::title() const {
    const QMainWindow* window = native_->window;
    return window != nullptr ? window->windowTitle().toStdString() : std::string();
}

}  // namespace platform
