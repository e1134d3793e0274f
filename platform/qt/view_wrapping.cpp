#include "platform/qt/view_wrapping.h"

#include <QLineEdit>

#include "platform/appkit/ns_progress_indicator.h"
#include "platform/appkit/ns_text_field.h"
#include "platform/appkit/web_view.h"
#include "platform/log.h"
#include "platform/qt/native_view.h"

namespace platform {

std::shared_ptr<NSView> wrapWidget(QWidget& widget) {
    const QString viewClass = widget.property("nsClass").toString();
    const bool isLineEdit = qobject_cast<QLineEdit*>(&widget) != nullptr;
    auto native = std::make_unique<NativeView>(NativeView{&widget});
    if (viewClass == QLatin1String("WebView")) {
        return WebView::fromNative(std::move(native));
    }
    if (viewClass == QLatin1String("NSProgressIndicator")) {
        return NSProgressIndicator::fromNative(std::move(native));
    }
    if (isLineEdit && (viewClass.isEmpty() || viewClass == QLatin1String("NSTextField"))) {
        return NSTextField::fromNative(std::move(native));
    }
    if (!viewClass.isEmpty() && viewClass != QLatin1String("NSView")) {
        NSLog("Unknown view class %@ for %@, using NSView",
              {arg(viewClass.toStdString()), arg(widget.objectName().toStdString())});
    }
    return NSView::fromNative(std::move(native));
}

ViewTree::ViewTree(QWidget& root) : root_(root) {
    views_.emplace(&root, wrapWidget(root));
}

std::shared_ptr<NSView> ViewTree::viewOf(QWidget& widget) {
    if (const auto known = views_.find(&widget); known != views_.end()) {
        return known->second;
    }
    auto view = wrapWidget(widget);
    views_.emplace(&widget, view);
    if (QWidget* parent = widget.parentWidget()) {
        viewOf(*parent)->adoptSubview(view);
    }
    return view;
}

}  // namespace platform
