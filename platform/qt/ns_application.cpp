#include "platform/appkit/ns_application.h"

#include <QApplication>
#include <QWidget>
#include <algorithm>
#include <cstdio>

#include "platform/qt/application_environment.h"
#include "platform/qt/main_menu.h"
#include "platform/qt/single_instance.h"

namespace platform {

NSApplication& NSApplication::sharedApplication() {
    static NSApplication application;
    return application;
}

bool NSApplication::hasVisibleWindows() const {
    if (QApplication::instance() == nullptr) {
        return false;
    }
    const auto windows = QApplication::topLevelWidgets();
    // A minimised window is not on screen: reopening should bring it back.
    return std::any_of(windows.begin(), windows.end(), [](const QWidget* window) {
        return window->isVisible() && !window->isMinimized() &&
               (window->windowType() == Qt::Window || window->windowType() == Qt::Dialog);
    });
}

void NSApplication::terminate() {
    QCoreApplication::quit();
}

int NSApplicationMain(int argc, char** argv) {
    // Diagnostics on standard output (the sensor driver's, say) must not wait in a buffer that
    // is lost if the application is stopped by a signal, as when its output goes to a file.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    prepareToolkitEnvironment();
    QApplication toolkit(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quelmarn"));
    // Closing the main window only hides it; the application runs until it is told to quit.
    QApplication::setQuitOnLastWindowClosed(false);

    SingleInstance instance(SingleInstance::sessionName());
    if (instance.handOver()) {
        std::puts("quelmarn is already running; it has been asked to show its window.");
        return 0;
    }
    NSApplication& application = NSApplication::sharedApplication();
    const auto window = loadMainMenu(application);
    if (!window) {
        return 1;
    }
    instance.listen([&application] {
        if (const auto delegate = application.delegate()) {
            delegate->applicationShouldHandleReopenHasVisibleWindows(
                application, application.hasVisibleWindows());
        }
    });
    // The first panel is in place before the window first paints.
    application.delegate()->applicationDidFinishLaunching();
    window->makeKeyAndOrderFront(nullptr);
    const int status = QApplication::exec();
    // Views, web views among them, must go while the toolkit is still there.
    application.releaseInterfaceObjects();
    return status;
}

}  // namespace platform
