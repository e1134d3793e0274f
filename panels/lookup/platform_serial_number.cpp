#include "panels/lookup/platform_serial_number.h"

#include <cstring>

using namespace platform;

void getPlatformSerialNumber(mach_port_t masterPort, PlatformSerialNumberDone done) {
    const SerialNumberBuffer untouched{};
    CFMutableDictionaryRef matching = IOServiceMatching("IOPlatformExpertDevice");
    if (!matching) {
        done(untouched, {});
        return;
    }
    io_iterator_t iterator;
    if (IOServiceGetMatchingServices(masterPort, std::move(matching), &iterator) != KERN_SUCCESS ||
        !iterator) {
        done(untouched, {});
        return;
    }
    io_object_t service = IOIteratorNext(iterator);
    if (!service) {
        IOObjectRelease(std::move(iterator));
        done(untouched, {});
        return;
    }
    // The entry is not needed for the answer, which may come after it has been let go.
    IORegistryEntryRequestCFProperty(
        service, "IOPlatformSerialNumber",
        [done = std::move(done)](CFStringRef serial, PropertyAbsence absence) {
            SerialNumberBuffer serialNumber{};
            PlatformSerialNumberDetails details;
            if (serial) {
                // 39 of the 40 bytes are offered, so the last one always stays zero.
                if (!CFStringGetCString(serial, serialNumber.data(), kSerialNumberBufferSize - 1,
                                        kCFStringEncodingMacRoman)) {
                    details.wholeSerialNumber = serial->utf8;
                }
                CFRelease(std::move(serial));
            } else {
                std::strcpy(serialNumber.data(), "unknown");
                details.absence = absence;
            }
            done(serialNumber, details);
        });
    IOObjectRelease(std::move(service));
    IOObjectRelease(std::move(iterator));
}
