#include "platform/appkit/ns_view_controller.h"

#include "platform/appkit/web_view.h"
#include "platform/log.h"
#include "platform/qt/interface_loader.h"
#include "platform/qt/native_bridge.h"
#include "platform/qt/view_wrapping.h"

namespace platform {
namespace {

// What a panel shows when its description cannot be loaded: nothing, at the panels' size.
constexpr double kEmptyPanelWidth = 640;
constexpr double kEmptyPanelHeight = 440;

// Makes `owner` the frame-load delegate of a web view that asks for it, if owner is one.
void connectFrameLoadDelegate(QWidget& widget, NSView& view, NSObject& owner) {
    if (widget.property("frameLoadDelegate").toString() != QLatin1String("owner")) {
        return;
    }
    auto* webView = dynamic_cast<WebView*>(&view);
    auto delegate = std::dynamic_pointer_cast<WebFrameLoadDelegate>(owner.weak_from_this().lock());
    if (webView == nullptr || !delegate) {
        NSLog("%@ cannot take its owner as frame-load delegate",
              {arg(widget.objectName().toStdString())});
        return;
    }
    webView->setFrameLoadDelegate(delegate);
}

// Loads the description `nibName`, wraps its widgets and connects them to `owner`.
std::shared_ptr<NSView> loadPanel(const std::string& nibName, NSObject& owner) {
    InterfaceLoader loader;
    std::string error;
    std::unique_ptr<QWidget> root = loader.loadNamed(nibName, error);
    if (!root) {
        NSLog("Could not load the interface description %@: %@", {arg(nibName), arg(error)});
        return NSView::initWithFrame(NSMakeRect(0, 0, kEmptyPanelWidth, kEmptyPanelHeight));
    }
    // From here the root's view owns the widgets.
    QWidget& rootWidget = *root.release();
    ViewTree views(rootWidget);
    for (QWidget* widget : rootWidget.findChildren<QWidget*>()) {
        const QString outlet = widget->property("outlet").toString();
        if (outlet.isEmpty() && !widget->property("nsClass").isValid()) {
            continue;
        }
        const auto view = views.viewOf(*widget);
        connectFrameLoadDelegate(*widget, *view, owner);
        if (!outlet.isEmpty() && !owner.setValueForKey(outlet.toStdString(), view)) {
            NSLog("%@ has no outlet %@", {arg(nibName), arg(outlet.toStdString())});
        }
    }
    return views.root();
}

}  // namespace

NSViewController::NSViewController(std::string nibName, const NSBundle* /*bundle*/)
    : nibName_(std::move(nibName)) {}

std::shared_ptr<NSView> NSViewController::view() {
    if (!view_) {
        // Set before awakeFromNib, which builds the panel by asking for its view.
        view_ = loadPanel(nibName_, *this);
        awakeFromNib();
    }
    return view_;
}

}  // namespace platform
