#include "platform/appkit/ns_view.h"

#include <QAction>
#include <algorithm>

#include "platform/appkit/ns_menu.h"
#include "platform/qt/native_bridge.h"
#include "platform/qt/widget_placement.h"

namespace platform {
namespace {

// Marks the actions that a view's menu made, as opposed to any the widget had of its own.
constexpr char kMenuItemProperty[] = "nsMenuItem";

// The frame a widget already has, as its superview measures it.
NSRect currentFrameOf(const QWidget* widget) {
    if (widget == nullptr) {
        return NSRect{};
    }
    const QWidget* parent = widget->parentWidget();
    if (parent == nullptr) {
        // A view on its own (the root of an interface description) stands at its own origin.
        return NSMakeRect(0, 0, widget->width(), widget->height());
    }
    return frameOf(widget->geometry(), parent->height());
}

}  // namespace

NSView::NSView(std::unique_ptr<NativeView> native)
    : native_(std::move(native)), frame_(currentFrameOf(native_->widget)) {}

NSView::~NSView() {
    // Qt deletes the widgets of the subviews with this one; their views then find theirs gone.
    delete native_->widget.data();
}

std::shared_ptr<NSView> NSView::initWithFrame(NSRect frame) {
    return placedAt(NativeBridge::wrapView(*new QWidget), frame);
}

std::shared_ptr<NSView> NativeBridge::wrapView(QWidget& widget) {
    return std::shared_ptr<NSView>(new NSView(std::make_unique<NativeView>(NativeView{&widget})));
}

NSRect NSView::frame() const {
    return frame_;
}

void NSView::setFrame(NSRect frame) {
    frame_ = frame;
    if (QWidget* widget = widgetOf(*this)) {
        placeWidget(*widget, frame);
    }
}

void NSView::addSubview(std::shared_ptr<NSView> view) {
    if (!view) {
        return;
    }
    view->removeFromSuperview();
    attach(std::move(view), subviews_.size());
}

void NativeBridge::adoptSubview(NSView& parent, std::shared_ptr<NSView> view) {
    if (!view) {
        return;
    }
    view->superview_ = std::static_pointer_cast<NSView>(parent.shared_from_this());
    parent.subviews_.push_back(std::move(view));
}

void NSView::replaceSubviewWith(const std::shared_ptr<NSView>& oldView,
                                std::shared_ptr<NSView> newView) {
    if (!oldView || oldView->superview().get() != this || !newView || newView == oldView) {
        return;
    }
    newView->removeFromSuperview();
    const auto oldPosition = std::find(subviews_.begin(), subviews_.end(), oldView);
    const auto index = static_cast<std::size_t>(oldPosition - subviews_.begin());
    attach(std::move(newView), index);
    detach(oldView);
}

void NSView::removeFromSuperview() {
    if (auto parent = superview()) {
        parent->detach(std::static_pointer_cast<NSView>(shared_from_this()));
    }
}

void NSView::setMenu(std::shared_ptr<NSMenu> menu) {
    menu_ = std::move(menu);
    QWidget* widget = widgetOf(*this);
    if (widget == nullptr) {
        return;
    }
    for (QAction* action : widget->actions()) {
        if (action->property(kMenuItemProperty).toBool()) {
            widget->removeAction(action);
            delete action;
        }
    }
    widget->setContextMenuPolicy(menu_ ? Qt::ActionsContextMenu : Qt::DefaultContextMenu);
    if (!menu_) {
        return;
    }
    // A view with commands of its own takes the keyboard, so that their keys and the menu key
    // reach it without a mouse.
    if (widget->focusPolicy() == Qt::NoFocus) {
        widget->setFocusPolicy(Qt::StrongFocus);
    }
    for (const std::shared_ptr<NSMenuItem>& item : menu_->items()) {
        auto* action = new QAction(QString::fromStdString(item->title()), widget);
        action->setProperty(kMenuItemProperty, true);
        if (!item->keyEquivalent().empty()) {
            // The other desktop's command key is Ctrl here.
            action->setShortcut(QKeySequence(
                QStringLiteral("Ctrl+") + QString::fromStdString(item->keyEquivalent()).toUpper()));
            action->setShortcutContext(Qt::WindowShortcut);
        }
        QObject::connect(action, &QAction::triggered, action, [item] { item->sendAction(); });
        widget->addAction(action);
    }
}

bool NSView::isVisible() const {
    const QWidget* widget = widgetOf(*this);
    return widget != nullptr && widget->isVisible();
}

void NSView::attach(std::shared_ptr<NSView> view, std::size_t index) {
    view->superview_ = std::static_pointer_cast<NSView>(shared_from_this());
    QWidget* parentWidget = widgetOf(*this);
    if (QWidget* widget = widgetOf(*view); widget != nullptr && parentWidget != nullptr) {
        reparentWidget(*widget, parentWidget);
        widget->setGeometry(qtGeometryOf(view->frame_, parentWidget->height()));
        // Qt's stacking order may also hold widgets that no view wraps: going right below the
        // view it is put before keeps the new one exactly where that view stands among them.
        if (index < subviews_.size()) {
            if (QWidget* above = widgetOf(*subviews_[index])) {
                widget->stackUnder(above);
            }
        }
    }
    subviews_.insert(subviews_.begin() + static_cast<std::ptrdiff_t>(index), std::move(view));
}

void NSView::detach(const std::shared_ptr<NSView>& view) {
    const auto position = std::find(subviews_.begin(), subviews_.end(), view);
    if (position == subviews_.end()) {
        return;
    }
    // The view may die with the erase below; keep it until its widget has left.
    const std::shared_ptr<NSView> leaving = *position;
    subviews_.erase(position);
    leaving->superview_.reset();
    if (QWidget* widget = widgetOf(*leaving)) {
        reparentWidget(*widget, nullptr);
    }
}

}  // namespace platform
