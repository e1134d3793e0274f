#include "platform/qt/view_wrapping.h"

#include <QLineEdit>

#include "platform/appkit/ns_progress_indicator.h"
#include "platform/appkit/ns_text_field.h"
#include "platform/appkit/web_view.h"
#include "platform/log.h"
#include "platform/qt/native_bridge.h"

namespace platform {

std::shared_ptr<NSView> wrapWidget(QWidget& widget) {
    const QString viewClass = widget.property("nsClass").toString();
    const bool isLineEdit = qobject_cast<QLineEdit*>(&widget) != nullptr;
    if (viewClass == QLatin1String("WebView")) {
        return NativeBridge::wrapWebView(widget);
    }
    if (viewClass == QLatin1String("NSProgressIndicator")) {
        return NativeBridge::wrapProgressIndicator(widget);
    }
    if (isLineEdit && (viewClass.isEmpty() || viewClass == QLatin1String("NSTextField"))) {
        return NativeBridge::wrapTextField(widget);
    }
    if (!viewClass.isEmpty() && viewClass != QLatin1String("NSView")) {
        NSLog("Unknown view class %@ for %@, using NSView",
              {arg(viewClass.toStdString()), arg(widget.objectName().toStdString())});
    }
    return NativeBridge::wrapView(widget);
}

std::shared_ptr<NSView> WrappedWidgets::viewOf(QWidget& widget, bool* wrapped) {
    auto& view = views_[&widget];
    if (wrapped != nullptr) {
        *wrapped = view == nullptr;
    }
    if (!view) {
        view = wrapWidget(widget);
    }
    return view;
}

ViewTree::ViewTree(QWidget& root) : root_(root) {
    views_.viewOf(root);
}

std::shared_ptr<NSView> ViewTree::viewOf(QWidget& widget) {
    bool wrapped = false;
    auto view = views_.viewOf(widget, &wrapped);
    if (wrapped && &widget != &root_) {
        if (QWidget* parent = widget.parentWidget()) {
            NativeBridge::adoptSubview(*viewOf(*parent), view);
        }
    }
    return view;
}

}  // namespace platform
