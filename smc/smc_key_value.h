#pragma once

#include <array>
#include <cstdint>

namespace smc {

// The raw value bytes of one key, as the driver returns them.
using SMCBytes = std::array<std::uint8_t, 32>;

// One key read by SMCFetchKey. Owned by the caller; a record declared without values is all zero,
// which is also what every field holds until the exchange that fills it succeeds.
struct SMCKeyValue {
    char key[5] = {};            // the four key characters and a NUL
    std::uint32_t dataSize = 0;  // bytes in the value, as the key-info exchange reported it
    char dataType[5] = {};       // the value's type, such as "fpe2", and a NUL
    SMCBytes bytes = {};         // all 32 returned bytes, whatever dataSize says
};

}  // namespace smc
