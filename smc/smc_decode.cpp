#include "smc/smc_decode.h"

#include <algorithm>

namespace smc {

std::uint32_t SMCDecodeUnsigned(const SMCBytes& bytes, int size) {
    if (size <= 0 || size > 4) {
        return 0;
    }
    std::uint32_t value = 0;
    for (int i = 0; i < size; ++i) {
        value = (value << 8) | bytes[i];
    }
    return value;
}

float SMCDecodeFixed(const SMCBytes& bytes, int size, unsigned int fractionBits) {
    if (size <= 0 || size > 2) {
        return 0.0f;
    }
    // Every byte but the last is signed, the last unsigned. Dropping the fraction bits of that
    // number with an arithmetic shift rounds toward minus infinity; past 31 bits nothing is
    // left but the sign, which the shift by 31 already gives.
    const std::int32_t value =
        size == 2 ? static_cast<std::int8_t>(bytes[0]) * 256 + bytes[1] : bytes[0];
    return static_cast<float>(value >> std::min(fractionBits, 31u));
}

}  // namespace smc
