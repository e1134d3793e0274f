#pragma once

#include <cstddef>
#include <string>

#include "platform/iokit.h"

// Room for the machine's serial number: at most 38 characters, their terminating zero and a
// zero byte that always stays.
inline constexpr std::size_t kSerialNumberBufferSize = 40;

// Writes this machine's serial number, from the platform-expert device of the registry reached
// through `masterPort`, into `serialNumber` as zero-terminated Mac OS Roman text of at most 39
// bytes, or "unknown" when the device has no serial number. Leaves the buffer untouched when
// there is no such device.
// A serial number that the buffer cannot hold (longer than 38 characters, or with characters
// Mac OS Roman lacks) is not cut short: the buffer stays untouched and the whole serial number,
// as UTF-8, goes to *wholeSerialNumber (when given).
void getPlatformSerialNumber(platform::mach_port_t masterPort,
                             char (&serialNumber)[kSerialNumberBufferSize],
                             std::string* wholeSerialNumber);
