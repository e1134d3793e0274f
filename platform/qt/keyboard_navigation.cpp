#include "platform/qt/keyboard_navigation.h"

#include <QAction>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QTimer>
#include <QToolBar>

namespace platform {
namespace {

bool takesTabFocus(const QWidget& widget) {
    return (widget.focusPolicy() & Qt::TabFocus) != 0;
}

// The panel now shown: the central widget's visible child widget, the one added last.
QWidget* shownPanel(QMainWindow& window) {
    QWidget* content = window.centralWidget();
    if (content == nullptr) {
        return nullptr;
    }
    QWidget* panel = nullptr;
    for (QObject* child : content->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (widget != nullptr && !widget->isWindow() && !widget->isHidden()) {
            panel = widget;
        }
    }
    return panel;
}

// Marks a panel view that draws its focus frame.
constexpr char kFramed[] = "drawsFocusFrame";

// Draws the focus frame around a panel view while it has the keyboard: a panel's own widgets
// are labels, so without it nothing would show where the keyboard is.
class FocusFrame : public QObject {
  public:
    explicit FocusFrame(QWidget& panel) : QObject(&panel), panel_(panel) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &panel_ && event->type() == QEvent::Paint && panel_.hasFocus()) {
            QPainter painter(&panel_);
            QStyleOptionFocusRect option;
            option.initFrom(&panel_);
            option.rect = panel_.rect().adjusted(2, 2, -2, -2);
            panel_.style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, &panel_);
        }
        return false;
    }

  private:
    QWidget& panel_;
};

// The widget in `panel` that should take the keyboard: its first descendant that takes focus
// when the panel itself does not, else the panel, which then holds the keyboard for the window
// (keys typed there reach no field by surprise, and Tab goes on from it).
QWidget& keyboardTargetIn(QWidget& panel) {
    if (!takesTabFocus(panel)) {
        for (QWidget* child : panel.findChildren<QWidget*>()) {
            if (takesTabFocus(*child) && child->isEnabled() && !child->isHidden()) {
                return *child;
            }
        }
    }
    return panel;
}

// Gives a new panel the keyboard when the one it replaces had it, or no one had it (at start).
class PanelFocus : public QObject {
  public:
    explicit PanelFocus(QMainWindow& window) : QObject(&window), window_(window) {}

    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() != QEvent::ChildAdded) {
            return false;
        }
        auto* panel = qobject_cast<QWidget*>(static_cast<QChildEvent*>(event)->child());
        if (panel == nullptr || panel->isWindow()) {
            return false;
        }
        if (takesTabFocus(*panel) && !panel->property(kFramed).toBool()) {
            panel->setProperty(kFramed, true);
            panel->installEventFilter(new FocusFrame(*panel));
        }
        const QWidget* focus = window_.focusWidget();
        if (focus == nullptr || window_.centralWidget()->isAncestorOf(focus)) {
            // Once the new panel is shown and the old one has left the window.
            QTimer::singleShot(
                0, panel, [panel] { keyboardTargetIn(*panel).setFocus(Qt::OtherFocusReason); });
        }
        return false;
    }

  private:
    QMainWindow& window_;
};

// The widget in the panel `window` shows that should take the keyboard; null with no panel.
QWidget* keyboardTargetOfPanel(QMainWindow& window) {
    QWidget* panel = shownPanel(window);
    return panel != nullptr ? &keyboardTargetIn(*panel) : nullptr;
}

// Esc hands the keyboard back to the panel; Copy with nothing selected is the window's.
class ToolbarField : public QObject {
  public:
    ToolbarField(QLineEdit& field, QMainWindow& window)
        : QObject(&field), field_(field), window_(window) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != &field_) {
            return false;
        }
        const auto* key = static_cast<QKeyEvent*>(event);
        if (event->type() == QEvent::ShortcutOverride && key->matches(QKeySequence::Copy) &&
            !field_.hasSelectedText()) {
            // Not accepted: the field does not claim the key, so the window's shortcut runs.
            return true;
        }
        if (event->type() == QEvent::KeyPress && key->key() == Qt::Key_Escape &&
            key->modifiers() == Qt::NoModifier) {
            if (QWidget* target = keyboardTargetOfPanel(window_)) {
                target->setFocus(Qt::OtherFocusReason);
                return true;
            }
        }
        return false;
    }

  private:
    QLineEdit& field_;
    QMainWindow& window_;
};

}  // namespace

void enableKeyboardNavigation(QMainWindow& window) {
    // A toolbar's buttons take no focus by default; chain them and the toolbar's fields in the
    // order they stand, which the panel follows, being added to the window last.
    QWidget* previous = nullptr;
    for (QToolBar* toolbar : window.findChildren<QToolBar*>()) {
        for (QAction* action : toolbar->actions()) {
            QWidget* widget = toolbar->widgetForAction(action);
            if (widget == nullptr || action->isSeparator()) {
                continue;
            }
            if (!takesTabFocus(*widget)) {
                widget->setFocusPolicy(Qt::TabFocus);
            }
            if (auto* field = qobject_cast<QLineEdit*>(widget)) {
                field->installEventFilter(new ToolbarField(*field, window));
            }
            if (previous != nullptr) {
                QWidget::setTabOrder(previous, widget);
            }
            previous = widget;
        }
    }
    if (QWidget* content = window.centralWidget()) {
        content->installEventFilter(new PanelFocus(window));
    }
}

}  // namespace platform
