// The SMC value decoders over any data size (the driver's dataSize taken as an int), number of
// fraction bits and 32 data bytes: the input's first four bytes are the size, the next four
// the fraction bits (both little-endian), the rest the data bytes, zero-filled.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "fuzz/fuzz_input.h"
#include "smc/smc_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::uint8_t raw[4 + 4 + 32] = {};
    std::memcpy(raw, data, std::min(size, sizeof raw));
    int dataSize = 0;
    unsigned fractionBits = 0;
    smc::SMCBytes bytes{};
    std::memcpy(&dataSize, raw, 4);
    std::memcpy(&fractionBits, raw + 4, 4);
    std::memcpy(bytes.data(), raw + 8, bytes.size());

    const std::uint32_t number = smc::SMCDecodeUnsigned(bytes, dataSize);
    if (dataSize >= 2 && dataSize <= 4) {
        fuzz::require(
            number == ((smc::SMCDecodeUnsigned(bytes, dataSize - 1) << 8) | bytes[dataSize - 1]),
            "each further byte is the next lower one");
    } else if (dataSize != 1) {
        fuzz::require(number == 0, "an unread size gives 0");
    }

    // Sizes 1 and 2 are the value over 2^fractionBits rounded toward minus infinity, the first
    // of two bytes signed: what a reading means, worked out in double precision.
    const float fixed = smc::SMCDecodeFixed(bytes, dataSize, fractionBits);
    double value = 0.0;
    if (dataSize == 2) {
        value = static_cast<std::int8_t>(bytes[0]) * 256.0 + bytes[1];
    } else if (dataSize == 1) {
        value = bytes[0];
    }
    const double scale = std::ldexp(1.0, -static_cast<int>(std::min(fractionBits, 64u)));
    fuzz::require(static_cast<double>(fixed) == std::floor(value * scale),
                  "a fixed-point reading is its value rounded down");
    return 0;
}
