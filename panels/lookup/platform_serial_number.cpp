#include "panels/lookup/platform_serial_number.h"

#include <cstring>

using namespace platform;

void getPlatformSerialNumber(mach_port_t masterPort, char (&serialNumber)[kSerialNumberBufferSize],
                             std::string* wholeSerialNumber) {
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
    CFStringRef serial =
        IORegistryEntryCreateCFProperty(service, "IOPlatformSerialNumber", kCFAllocatorDefault, 0);
    if (serial) {
        // 39 of the 40 bytes are offered, so the last one always stays zero.
        const bool copied = CFStringGetCString(serial, serialNumber, kSerialNumberBufferSize - 1,
                                               kCFStringEncodingMacRoman);
        if (!copied && wholeSerialNumber != nullptr) {
            *wholeSerialNumber = serial->utf8;
        }
        CFRelease(std::move(serial));
    } else {
        std::strcpy(serialNumber, "unknown");
    }
    IOObjectRelease(std::move(service));
    IOObjectRelease(std::move(iterator));
}
