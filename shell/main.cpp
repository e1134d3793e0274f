#include <memory>

#include "platform/appkit/ns_application.h"
#include "platform/dbus/hostnamed_serial_service.h"
#include "platform/linux/linux_machine.h"
#include "platform/machine.h"

int main(int argc, char** argv) {
    // The machine this runs on, chosen once, before anything asks: Linux's files, and the
    // system's hostname service for the serial number that those files keep from a user.
    platform::installMachine(std::make_shared<platform::LinuxMachine>(
        "/", std::make_shared<platform::HostnamedSerialService>()));
    return platform::NSApplicationMain(argc, argv);
}
