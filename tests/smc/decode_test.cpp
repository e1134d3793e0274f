#include "smc/smc_decode.h"

#include <gtest/gtest.h>

#include <climits>
#include <initializer_list>

namespace {

using smc::SMCBytes;

SMCBytes bytes(std::initializer_list<std::uint8_t> leading) {
    SMCBytes all = {};
    std::copy(leading.begin(), leading.end(), all.begin());
    return all;
}

SMCBytes allOnes() {
    SMCBytes all;
    all.fill(0xFF);
    return all;
}

struct DecodeCase {
    SMCBytes bytes;
    int size;
    unsigned int fractionBits;  // 0 for the unsigned decoder
    double value;               // holds every 32-bit unsigned and every float exactly
};

// Unsigned rows decode big-endian over `size` bytes; sizes outside 1..4 give 0.
TEST(DecodeTest, UnsignedIsBigEndianOfTheSizeBytes) {
    for (const DecodeCase& row :
         {DecodeCase{bytes({0xFF}), 1, 0, 255}, DecodeCase{bytes({0x01, 0x2C}), 2, 0, 300},
          DecodeCase{bytes({0x01, 0x2C}), 1, 0, 1},
          DecodeCase{bytes({0x01, 0x02, 0x03}), 3, 0, 0x010203},
          DecodeCase{bytes({0xDE, 0xAD, 0xBE, 0xEF}), 4, 0, 0xDEADBEEF},
          DecodeCase{bytes({0x02}), 0, 0, 0}, DecodeCase{bytes({0x02}), -1, 0, 0},
          DecodeCase{allOnes(), 5, 0, 0}, DecodeCase{allOnes(), 32, 0, 0},
          DecodeCase{allOnes(), 33, 0, 0}, DecodeCase{allOnes(), INT_MIN, 0, 0}}) {
        SCOPED_TRACE(row.size);
        EXPECT_EQ(smc::SMCDecodeUnsigned(row.bytes, row.size), row.value);
    }
}

// Fixed rows read 1 or 2 bytes (2 as signed) and drop the fraction toward minus infinity; the
// sensor queries' rows decode a speed's fraction.
TEST(DecodeTest, FixedDropsTheFractionTowardMinusInfinity) {
    for (const DecodeCase& row :
         {DecodeCase{bytes({0x80, 0x00}), 2, 2, -8192}, DecodeCase{bytes({0xFF, 0xFF}), 2, 2, -1},
          DecodeCase{bytes({0x01, 0x02}), 2, 0, 258}, DecodeCase{bytes({0x17, 0x70}), 2, 8, 23},
          DecodeCase{bytes({0xFF}), 1, 2, 63}, DecodeCase{bytes({0x17, 0x70}), 0, 2, 0},
          DecodeCase{bytes({0x17, 0x70}), -2, 2, 0}, DecodeCase{allOnes(), 3, 2, 0},
          DecodeCase{allOnes(), 32, 2, 0}, DecodeCase{allOnes(), INT_MAX, 2, 0},
          DecodeCase{bytes({0x80, 0x00}), 2, 40, -1}, DecodeCase{bytes({0x7F, 0xFF}), 2, 40, 0},
          DecodeCase{bytes({0xFF}), 1, UINT_MAX, 0}}) {
        SCOPED_TRACE(testing::Message() << row.size << " bytes, " << row.fractionBits << " bits");
        EXPECT_EQ(smc::SMCDecodeFixed(row.bytes, row.size, row.fractionBits), row.value);
    }
}

}  // namespace
