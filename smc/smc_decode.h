#pragma once

#include <cstdint>

#include "smc/smc_key_value.h"

namespace smc {

// Decoders of SMC values: big-endian, the first byte the most significant. Each looks only at
// the first `size` bytes of `bytes` (a size is the driver's dataSize taken as a signed int) and
// gives 0 for a size it does not read: 0 or less, or one too wide for its result. A failed read
// gives 0 as well, so the two look alike to a caller.

// The unsigned number of the first `size` bytes, for a size of 1 to 4 (bytes 0x01 0x2C give
// 300); 0 for any other size.
std::uint32_t SMCDecodeUnsigned(const SMCBytes& bytes, int size);

// The fixed-point number with `fractionBits` fraction bits, rounded toward minus infinity to a
// whole number:
// - size 2: the signed 16-bit value divided by 2^fractionBits (with 2 fraction bits, bytes
//   0x17 0x70 give 1500.0 and 0x80 0x00 give -8192.0);
// - size 1: the unsigned byte divided by 2^fractionBits;
// - any other size: 0.0, as three or more bytes are no fixed-point reading this knows.
float SMCDecodeFixed(const SMCBytes& bytes, int size, unsigned int fractionBits);

}  // namespace smc
