#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "platform/iokit.h"

// Room for the machine's serial number: at most 38 characters, their terminating zero and a
// zero byte that always stays.
inline constexpr std::size_t kSerialNumberBufferSize = 40;
using SerialNumberBuffer = std::array<char, kSerialNumberBufferSize>;

// What a read of the machine's serial number learnt besides the buffer's text.
struct PlatformSerialNumberDetails {
    // A serial number that the buffer cannot hold, whole, as UTF-8; empty otherwise.
    std::string wholeSerialNumber;
    // Why "unknown" was written; none when it was not.
    std::optional<platform::PropertyAbsence> absence;
};

// Receives the read: the buffer (zero bytes unless something was written) and the details.
using PlatformSerialNumberDone = std::function<void(const SerialNumberBuffer& serialNumber,
                                                    const PlatformSerialNumberDetails& details)>;

// Reads this machine's serial number, from the platform-expert device of the registry reached
// through `masterPort`, into a zero-filled buffer as zero-terminated Mac OS Roman text of at
// most 39 bytes, or "unknown" when the device has no serial number, and hands it to `done`.
// With no such device the buffer stays zero.
// The read answers the user's own request (IORegistryEntryRequestCFProperty): the platform may
// ask the user to authorize it and a system service for it. This never waits for them: `done`
// is called at once when nothing needs asking, else later from the event loop.
// A serial number that the buffer cannot hold (longer than 38 characters, or with characters
// Mac OS Roman lacks) is not cut short: the buffer stays zero and the whole serial number goes
// to details.wholeSerialNumber.
void getPlatformSerialNumber(platform::mach_port_t masterPort, PlatformSerialNumberDone done);
