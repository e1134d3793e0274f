#include "platform/appkit/ns_application.h"

#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <functional>

#include "platform/qt/accessibility.h"
#include "platform/qt/application_environment.h"
#include "platform/qt/main_menu.h"
#include "platform/qt/native_bridge.h"
#include "platform/qt/single_instance.h"
#include "platform/qt/status_icon.h"
#include "platform/qt/toolkit_translations.h"
#include "platform/qt/window_activation.h"
#include "platform/qt/window_closing.h"

namespace platform {
namespace {

// A window of the application that the user sees now; a minimised one is not on screen, and
// neither is one the window manager does not manage (the tray icon's, which on X11 is a
// top-level window embedded into the tray).
bool isOnScreen(const QWidget* window) {
    return window->isVisible() && !window->isMinimized() &&
           !window->windowFlags().testFlag(Qt::BypassWindowManagerHint) &&
           (window->windowType() == Qt::Window || window->windowType() == Qt::Dialog);
}

// Runs `task` once, on the main thread, right after `window` or a widget in it first painted.
void afterFirstPaint(QWidget& window, std::function<void()> task) {
    class FirstPaintWatcher : public QObject {
      public:
        FirstPaintWatcher(QWidget& window, std::function<void()> task)
            : QObject(&window), window_(window), task_(std::move(task)) {}
        bool eventFilter(QObject* watched, QEvent* event) override {
            const auto* widget = qobject_cast<QWidget*>(watched);
            if (event->type() == QEvent::Paint && widget != nullptr &&
                widget->window() == &window_) {
                QCoreApplication::instance()->removeEventFilter(this);
                QTimer::singleShot(0, &window_, std::move(task_));
                deleteLater();
            }
            return false;
        }

      private:
        QWidget& window_;
        std::function<void()> task_;
    };
    QCoreApplication::instance()->installEventFilter(
        new FirstPaintWatcher(window, std::move(task)));
}

}  // namespace

NSApplication& NSApplication::sharedApplication() {
    static NSApplication application;
    return application;
}

bool NSApplication::hasVisibleWindows() const {
    if (QApplication::instance() == nullptr) {
        return false;
    }
    const auto windows = QApplication::topLevelWidgets();
    return std::any_of(windows.begin(), windows.end(), isOnScreen);
}

void NSApplication::reopen() {
    if (QApplication::instance() != nullptr) {
        // What the other desktop does before it asks the delegate: the application comes to the
        // front, also when its window is open but covered by another one.
        QWidget* key = QApplication::activeModalWidget();
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (isOnScreen(window)) {
                window->raise();
                if (key == nullptr && qobject_cast<QMainWindow*>(window) != nullptr) {
                    key = window;
                }
            }
        }
        if (key != nullptr) {
            key->raise();
            key->activateWindow();
        }
    }
    if (const auto applicationDelegate = delegate()) {
        applicationDelegate->applicationShouldHandleReopenHasVisibleWindows(*this,
                                                                            hasVisibleWindows());
    }
}

void NSApplication::terminate() {
    // Not quit(): that first asks every visible window to close, and the main window answers a
    // close by hiding, which the toolkit takes for a refusal to quit.
    QCoreApplication::exit(0);
}

int NSApplicationMain(int argc, char** argv) {
    // Diagnostics on standard output (the sensor driver's, say) must not wait in a buffer that
    // is lost if the application is stopped by a signal, as when its output goes to a file.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    prepareToolkitEnvironment();
    // Before the toolkit takes the launcher's startup id for a first window of its own.
    const std::string activationToken = activationTokenOfThisStart();
    QApplication toolkit(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quelmarn"));
    installToolkitTranslations(toolkit);
    installAccessibleRoles();
    // The desktop entry's id: the Wayland app_id, by which the desktop finds the entry's name and
    // icon for the window.
    QGuiApplication::setDesktopFileName(QStringLiteral(QUELMARN_APP_ID));
    // Closing the main window only hides it; the application runs until it is told to quit.
    QApplication::setQuitOnLastWindowClosed(false);

    NSApplication& application = NSApplication::sharedApplication();
    // The main window, once loaded: a later start's activation token is presented with it.
    QWidget* mainWidget = nullptr;
    SingleInstance instance(SingleInstance::sessionName(), activationToken);
    switch (instance.claimOrHandOver()) {
        case SingleInstance::Start::kHandedOver:
            std::puts("quelmarn is already running; it has been asked to show its window.");
            return 0;
        case SingleInstance::Start::kNoAnswer:
            std::fputs("quelmarn is already running but does not answer.\n", stderr);
            return 1;
        case SingleInstance::Start::kFirst:
            // Listening at once lets a start at the same moment hand over as soon as it can;
            // its request waits for the event loop, which runs only once the window is there.
            instance.listen([&application, &mainWidget](const std::string& activationToken) {
                activateWithToken(activationToken, *mainWidget,
                                  [&application] { application.reopen(); });
            });
            break;
    }
    const auto window = loadMainWindow();
    if (!window || !connectApplicationDelegate(application, window)) {
        return 1;
    }
    // The first panel is in place before the window first paints.
    application.delegate()->applicationDidFinishLaunching();
    window->makeKeyAndOrderFront(nullptr);
    // Asking for the tray may mean a round trip to the desktop's bus, and a clear button looks its
    // icon up in the desktop's icon theme, a walk through the theme's folders that costs more
    // than laying out a whole panel: both wait until the window is on screen.
    std::unique_ptr<StatusIcon> statusIcon;
    QWidget& mainWindow = *NativeBridge::windowOf(*window);
    mainWidget = &mainWindow;
    // Without an icon in a tray, nothing would be left to bring a closed window back or to quit
    // from: closing then quits. A tray that went away since counts as none.
    hideOnClose(mainWindow,
                [&statusIcon] { return !statusIcon || !QSystemTrayIcon::isSystemTrayAvailable(); });
    afterFirstPaint(mainWindow, [&application, &statusIcon, &mainWindow] {
        for (QLineEdit* field : mainWindow.findChildren<QLineEdit*>()) {
            if (field->property("clearButtonAfterFirstFrame").toBool()) {
                field->setClearButtonEnabled(true);
                nameClearButton(*field);
            }
        }
        if (!QSystemTrayIcon::isSystemTrayAvailable()) {
            return;
        }
        statusIcon = std::make_unique<StatusIcon>([&application] { application.reopen(); },
                                                  [&application] { application.terminate(); });
        statusIcon->show();
    });
    const int status = QApplication::exec();
    statusIcon.reset();
    // Views, web views among them, must go while the toolkit is still there.
    NativeBridge::releaseInterfaceObjects(application);
    return status;
}

}  // namespace platform
