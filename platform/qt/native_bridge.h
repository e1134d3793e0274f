#pragma once

#include <QMainWindow>
#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "platform/appkit/ns_application.h"
#include "platform/appkit/ns_image.h"
#include "platform/appkit/ns_view.h"
#include "platform/appkit/ns_window.h"

class QLineEdit;

namespace platform {

class NSProgressIndicator;
class NSTextField;
class WebView;

// The widget behind a view. The pointer clears itself when Qt deletes the widget (with its
// parent, say), so a view may outlive its widget and then does nothing.
struct NativeView {
    QPointer<QWidget> widget;
};

// The main window behind an NSWindow; null once Qt has deleted it.
struct NativeWindow {
    QPointer<QMainWindow> window;
};

// The picture behind an NSImage, at the pixel size of its file.
struct NativeImage {
    QPixmap pixmap;
};

// The Qt side of the AppKit objects, which their headers keep private: only the toolkit backend
// (and its tests) reach it, through here. The accessors are inline, so that the web engine
// module can use them without a copy of the platform's state.
class NativeBridge {
  public:
    // The widget of `view`, or null when it is gone.
    static QWidget* widgetOf(const NSView& view) { return view.native_->widget.data(); }
    // The main window of `window`, or null when it is gone.
    static QMainWindow* windowOf(const NSWindow& window) { return window.native_->window.data(); }
    static const QPixmap& pixmapOf(const NSImage& image) { return image.native_->pixmap; }

    // The view of each class around `widget`, which from then on belongs to the view and dies
    // with it (e.g. a widget loaded from an interface description). A text field takes the line
    // edit's frame and read-only state; a progress indicator is stopped, hidden, and draws its
    // spinner inside the widget; a web view's page fills the widget, with an engine from the
    // installed desktop.
    static std::shared_ptr<NSView> wrapView(QWidget& widget);
    static std::shared_ptr<NSTextField> wrapTextField(QWidget& widget);
    static std::shared_ptr<NSProgressIndicator> wrapProgressIndicator(QWidget& widget);
    static std::shared_ptr<WebView> wrapWebView(QWidget& widget);
    // The NSWindow of `window`, which from then on belongs to it.
    static std::shared_ptr<NSWindow> wrapWindow(QMainWindow& window);
    static std::shared_ptr<NSImage> makeImage(std::string name, QPixmap pixmap);

    // Records `view`, whose widget is already a child of `parent`'s widget, as parent's
    // frontmost subview, leaving both widgets as they are (e.g. while wrapping an interface
    // description, whose widgets come in back-to-front order).
    static void adoptSubview(NSView& parent, std::shared_ptr<NSView> view);

    // Keeps the objects of the main interface description (its window, its toolbar items) for
    // the whole run: the delegate holds them weakly.
    static void keepInterfaceObjects(NSApplication& application,
                                     std::vector<std::shared_ptr<NSObject>> objects) {
        application.interfaceObjects_ = std::move(objects);
    }
    // Lets go of the delegate and of those objects: done when the event loop has ended, while
    // the toolkit can still take their widgets down.
    static void releaseInterfaceObjects(NSApplication& application) {
        application.delegate_.reset();
        application.interfaceObjects_.clear();
    }
};

// The widget of `view`, or null when it is gone.
inline QWidget* widgetOf(const NSView& view) {
    return NativeBridge::widgetOf(view);
}

// The line edit behind a text control, or null when its widget is another kind or gone.
QLineEdit* lineEditOf(const NSView& view);

// Gives `view` its frame and hands it back: the end of every initWithFrame.
template <typename View>
std::shared_ptr<View> placedAt(std::shared_ptr<View> view, NSRect frame) {
    view->setFrame(frame);
    return view;
}

}  // namespace platform
