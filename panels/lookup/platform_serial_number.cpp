#include "panels/lookup/platform_serial_number.h"

#include <cstring>

using namespace platform;

void getPlatformSerialNumber(mach_port_t masterPort, char (&serialNumber)[kSerialNumberBufferSize],
                             PlatformSerialNumberDetails* details) {
    CFMutableDictionaryRef matching = IOServiceMatching("IOPlatformExpertDevice");
    if (!matching) {
        return;
    }
    io_iterator_t iterator;
    if (IOServiceGetMatchingServices(masterPort, std::move(matching), &iterator) != KERN_SUCCESS ||
        !iterator) {
        return;
    }
    io_object_t service = IOIteratorNext(iterator);
    if (!service) {
        IOObjectRelease(std::move(iterator));
        return;
    }
    PropertyAbsence absence = PropertyAbsence::NotRecorded;
    CFStringRef serial =
        IORegistryEntryCreateCFProperty(service, "IOPlatformSerialNumber", kCFAllocatorDefault,
                                        kIORegistryReadOnUserRequest, &absence);
    if (serial) {
        // 39 of the 40 bytes are offered, so the last one always stays zero.
        const bool copied = CFStringGetCString(serial, serialNumber, kSerialNumberBufferSize - 1,
                                               kCFStringEncodingMacRoman);
        if (!copied && details != nullptr) {
            details->wholeSerialNumber = serial->utf8;
        }
        CFRelease(std::move(serial));
    } else {
        std::strcpy(serialNumber, "unknown");
        if (details != nullptr) {
            details->absence = absence;
        }
    }
    IOObjectRelease(std::move(service));
    IOObjectRelease(std::move(iterator));
}
