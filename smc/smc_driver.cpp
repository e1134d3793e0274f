#include "smc/smc_driver.h"

#include <cstdio>

namespace smc {

using namespace platform;

int SMCOpenDriver(io_connect_t* conn) {
    // The platform always has a master port, so its status tells nothing.
    mach_port_t masterPort = MACH_PORT_NULL;
    IOMasterPort(MACH_PORT_NULL, &masterPort);
    CFMutableDictionaryRef matchingDictionary = IOServiceMatching("AppleSMC");
    io_iterator_t iterator;
    const kern_return_t listed =
        IOServiceGetMatchingServices(masterPort, std::move(matchingDictionary), &iterator);
    if (listed != KERN_SUCCESS) {
        std::printf("Error: IOServiceGetMatchingServices() = %08x\n",
                    static_cast<unsigned>(listed));
        return 1;
    }
    // A machine has one controller; any further match is ignored.
    io_object_t device = IOIteratorNext(iterator);
    IOObjectRelease(std::move(iterator));
    if (!device) {
        std::printf("Error: no SMC found\n");
        return 1;
    }
    const kern_return_t opened = IOServiceOpen(device, mach_task_self(), 0, conn);
    IOObjectRelease(std::move(device));
    if (opened != KERN_SUCCESS) {
        std::printf("Error: IOServiceOpen() = %08x\n", static_cast<unsigned>(opened));
        return 1;
    }
    return 0;
}

kern_return_t SMCCloseDriver(io_connect_t conn) {
    return IOServiceClose(std::move(conn));
}

}  // namespace smc
