#include <memory>

#include "platform/appkit/desktop.h"
#include "platform/appkit/ns_application.h"
#include "platform/dbus/hostnamed_serial_service.h"
#include "platform/linux/linux_machine.h"
#include "platform/machine.h"
#include "platform/qt/qt_desktop.h"
#include "platform/qt/web_engine_module_loader.h"

// The one place that chooses the backends, each once, before anything asks.
int main(int argc, char** argv) {
    // The machine this runs on: Linux's files, and the system's hostname service for the serial
    // number that those files keep from a user.
    platform::installMachine(std::make_shared<platform::LinuxMachine>(
        "/", std::make_shared<platform::HostnamedSerialService>()));
    // The desktop: Qt's windows, alerts, screen and browser hand-off, and web views whose engine
    // comes from the web engine module, loaded the first time one is shown.
    platform::installDesktop(platform::makeQtDesktop(platform::createModuleWebEngine));
    return platform::NSApplicationMain(argc, argv);
}
