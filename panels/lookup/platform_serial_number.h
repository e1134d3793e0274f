#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "platform/iokit.h"

// Room for the machine's serial number: at most 38 characters, their terminating zero and a
// zero byte that always stays.
inline constexpr std::size_t kSerialNumberBufferSize = 40;

// What a read of the machine's serial number learnt besides the buffer's text.
struct PlatformSerialNumberDetails {
    // A serial number that the buffer cannot hold, whole, as UTF-8; empty otherwise.
    std::string wholeSerialNumber;
    // Why "unknown" was written; none when it was not.
    std::optional<platform::PropertyAbsence> absence;
};

// Writes this machine's serial number, from the platform-expert device of the registry reached
// through `masterPort`, into `serialNumber` as zero-terminated Mac OS Roman text of at most 39
// bytes, or "unknown" when the device has no serial number. Leaves the buffer untouched when
// there is no such device.
// The read answers the user's own request (kIORegistryReadOnUserRequest): the platform may ask
// the user to authorize it and wait for a system service.
// A serial number that the buffer cannot hold (longer than 38 characters, or with characters
// Mac OS Roman lacks) is not cut short: the buffer stays untouched and the whole serial number
// goes to details->wholeSerialNumber. `details` may be null.
void getPlatformSerialNumber(platform::mach_port_t masterPort,
                             char (&serialNumber)[kSerialNumberBufferSize],
                             PlatformSerialNumberDetails* details);
