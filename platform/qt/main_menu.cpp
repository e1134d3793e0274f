#include "platform/qt/main_menu.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QToolBar>
#include <vector>

#include "platform/appkit/class_registry.h"
#include "platform/appkit/ns_toolbar_item.h"
#include "platform/log.h"
#include "platform/qt/interface_loader.h"
#include "platform/qt/keyboard_navigation.h"
#include "platform/qt/native_bridge.h"
#include "platform/qt/view_wrapping.h"

namespace platform {
namespace {

std::string stringProperty(const QObject& object, const char* name) {
    return object.property(name).toString().toStdString();
}

// Sends `selector` to the delegate; the application answers what the delegate does not:
// quitting, and closing (that is, hiding) the main window.
void sendAction(NSApplication& application, NSWindow& window, const std::string& selector,
                const std::shared_ptr<NSObject>& sender) {
    // The field with the keyboard answers Copy first when text is selected in it, as the key
    // itself does there; otherwise Copy is the panel's, through the delegate.
    if (auto* field = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        selector == "copy:" && field != nullptr && field->hasSelectedText()) {
        field->copy();
        return;
    }
    const auto delegate = application.delegate();
    if (delegate && delegate->performAction(selector, sender)) {
        return;
    }
    if (selector == "terminate:") {
        application.terminate();
        return;
    }
    if (selector == "performClose:") {
        window.close();
        return;
    }
    NSLog("No one answers the action %@", {arg(selector)});
}

// Puts the widgets that the description made inside toolbars into their toolbars.
void placeToolbarWidgets(const InterfaceLoader& loader, QMainWindow& window) {
    for (QWidget* widget : loader.toolbarWidgets()) {
        const QString before = widget->property("toolbarBefore").toString();
        QAction* beforeAction = before.isEmpty() ? nullptr : window.findChild<QAction*>(before);
        qobject_cast<QToolBar*>(widget->parentWidget())->insertWidget(beforeAction, widget);
    }
}

// Connects the main window's controls and outlets to the delegate. Every object it hands out
// is kept in `kept`, which the application holds for the run.
class Wiring {
  public:
    Wiring(NSApplication& application, std::shared_ptr<NSWindow> window)
        : application_(application), window_(std::move(window)), kept_{window_} {}

    void connectActions(QMainWindow& mainWindow) {
        for (QAction* action : mainWindow.findChildren<QAction*>()) {
            const std::string selector = stringProperty(*action, "delegateAction");
            if (!selector.empty()) {
                QObject::connect(action, &QAction::triggered, action,
                                 [&application = application_, &window = *window_, selector] {
                                     sendAction(application, window, selector, nullptr);
                                 });
            }
            connectFocusing(mainWindow, *action);
        }
        for (QLineEdit* field : mainWindow.findChildren<QLineEdit*>()) {
            const std::string selector = stringProperty(*field, "delegateAction");
            if (selector.empty()) {
                continue;
            }
            QObject::connect(field, &QLineEdit::returnPressed, field,
                             [&application = application_, &window = *window_, selector,
                              sender = std::weak_ptr<NSView>(viewOf(*field))] {
                                 sendAction(application, window, selector, sender.lock());
                             });
        }
    }

    void connectOutlets(QMainWindow& mainWindow, NSApplicationDelegate& delegate) {
        std::vector<QWidget*> widgets{&mainWindow};
        for (QWidget* child : mainWindow.findChildren<QWidget*>()) {
            widgets.push_back(child);
        }
        for (QWidget* widget : widgets) {
            const std::string outlet = stringProperty(*widget, "delegateOutlet");
            if (!outlet.empty() && !delegate.setValueForKey(outlet, outletObjectFor(*widget))) {
                NSLog("The application delegate has no outlet %@", {arg(outlet)});
            }
        }
    }

    std::vector<std::shared_ptr<NSObject>> takeKept() { return std::move(kept_); }

  private:
    // An action with the property `focuses` puts the keyboard into the widget it names (the
    // search field, say), with its text selected for typing over.
    static void connectFocusing(QMainWindow& mainWindow, QAction& action) {
        const QString target = action.property("focuses").toString();
        if (target.isEmpty()) {
            return;
        }
        QObject::connect(&action, &QAction::triggered, &action, [&mainWindow, target] {
            if (auto* widget = mainWindow.findChild<QWidget*>(target)) {
                widget->setFocus(Qt::ShortcutFocusReason);
                if (auto* field = qobject_cast<QLineEdit*>(widget)) {
                    field->selectAll();
                }
            }
        });
    }

    std::shared_ptr<NSView> viewOf(QWidget& widget) {
        bool wrapped = false;
        auto view = views_.viewOf(widget, &wrapped);
        if (wrapped) {
            kept_.push_back(view);
        }
        return view;
    }

    std::shared_ptr<NSObject> outletObjectFor(QWidget& widget) {
        if (&widget == NativeBridge::windowOf(*window_)) {
            return window_;
        }
        auto view = viewOf(widget);
        if (qobject_cast<QToolBar*>(widget.parentWidget()) == nullptr) {
            return view;
        }
        auto item = std::make_shared<NSToolbarItem>(std::move(view));
        kept_.push_back(item);
        return item;
    }

    // The connected actions reach the application itself, which outlives every control.
    NSApplication& application_;
    std::shared_ptr<NSWindow> window_;
    std::vector<std::shared_ptr<NSObject>> kept_;
    WrappedWidgets views_;
};

}  // namespace

std::shared_ptr<NSWindow> loadMainWindow() {
    InterfaceLoader loader;
    std::string error;
    std::unique_ptr<QWidget> root = loader.loadNamed("MainMenu", error);
    auto* mainWindow = qobject_cast<QMainWindow*>(root.get());
    if (mainWindow == nullptr) {
        NSLog("Could not load the main interface description: %@",
              {arg(root ? std::string("its root is no QMainWindow") : error)});
        return nullptr;
    }
    root.release();
    placeToolbarWidgets(loader, *mainWindow);
    enableKeyboardNavigation(*mainWindow);
    return NativeBridge::wrapWindow(*mainWindow);
}

bool connectApplicationDelegate(NSApplication& application,
                                const std::shared_ptr<NSWindow>& window) {
    QMainWindow& mainWindow = *NativeBridge::windowOf(*window);
    const std::string delegateClass = stringProperty(mainWindow, "delegateClass");
    auto delegate =
        std::dynamic_pointer_cast<NSApplicationDelegate>(makeObjectOfClass(delegateClass));
    if (!delegate) {
        NSLog("The main interface description's delegate class %@ is not registered",
              {arg(delegateClass)});
        return false;
    }
    application.setDelegate(delegate);
    Wiring wiring(application, window);
    wiring.connectActions(mainWindow);
    wiring.connectOutlets(mainWindow, *delegate);
    NativeBridge::keepInterfaceObjects(application, wiring.takeKept());
    return true;
}

}  // namespace platform
