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

struct UnsignedCase {
    SMCBytes bytes;
    int size;
    std::uint32_t value;
};

class DecodeUnsignedTest : public ::testing::TestWithParam<UnsignedCase> {};

TEST_P(DecodeUnsignedTest, BigEndianOfTheSizeBytes) {
    EXPECT_EQ(smc::SMCDecodeUnsigned(GetParam().bytes, GetParam().size), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, DecodeUnsignedTest,
    ::testing::Values(UnsignedCase{bytes({0x02}), 1, 2}, UnsignedCase{bytes({0xFF}), 1, 255},
                      UnsignedCase{bytes({0x01, 0x2C}), 2, 300},
                      UnsignedCase{bytes({0x01, 0x2C}), 1, 1},
                      UnsignedCase{bytes({0x01, 0x02, 0x03}), 3, 0x010203},
                      UnsignedCase{bytes({0xDE, 0xAD, 0xBE, 0xEF}), 4, 0xDEADBEEF},
                      UnsignedCase{bytes({0x02}), 0, 0}, UnsignedCase{bytes({0x02}), -1, 0},
                      UnsignedCase{allOnes(), 5, 0}, UnsignedCase{allOnes(), 32, 0},
                      UnsignedCase{allOnes(), 33, 0}, UnsignedCase{allOnes(), INT_MAX, 0},
                      UnsignedCase{allOnes(), INT_MIN, 0}));

struct FixedCase {
    SMCBytes bytes;
    int size;
    unsigned int fractionBits;
    float value;
};

class DecodeFixedTest : public ::testing::TestWithParam<FixedCase> {};

TEST_P(DecodeFixedTest, FractionIsDroppedTowardMinusInfinity) {
    const FixedCase& row = GetParam();
    EXPECT_EQ(smc::SMCDecodeFixed(row.bytes, row.size, row.fractionBits), row.value);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, DecodeFixedTest,
    ::testing::Values(FixedCase{bytes({0x17, 0x70}), 2, 2, 1500.0f},
                      FixedCase{bytes({0x17, 0x73}), 2, 2, 1500.0f},
                      FixedCase{bytes({0x0F, 0xA3}), 2, 2, 1000.0f},
                      FixedCase{bytes({0x80, 0x00}), 2, 2, -8192.0f},
                      FixedCase{bytes({0xFF, 0xFF}), 2, 2, -1.0f},
                      FixedCase{bytes({0x01, 0x02}), 2, 0, 258.0f},
                      FixedCase{bytes({0x17, 0x70}), 2, 8, 23.0f},
                      FixedCase{bytes({0x17}), 1, 2, 5.0f}, FixedCase{bytes({0xFF}), 1, 2, 63.0f},
                      FixedCase{bytes({0x17, 0x70}), 0, 2, 0.0f},
                      FixedCase{bytes({0x17, 0x70}), -2, 2, 0.0f}, FixedCase{allOnes(), 3, 2, 0.0f},
                      FixedCase{allOnes(), 32, 2, 0.0f}, FixedCase{allOnes(), INT_MAX, 2, 0.0f}));

INSTANTIATE_TEST_SUITE_P(WideShifts, DecodeFixedTest,
                         ::testing::Values(FixedCase{bytes({0x80, 0x00}), 2, 40, -1.0f},
                                           FixedCase{bytes({0x7F, 0xFF}), 2, 40, 0.0f},
                                           FixedCase{bytes({0xFF}), 1, 40, 0.0f},
                                           FixedCase{bytes({0xFF}), 1, UINT_MAX, 0.0f}));

}  // namespace
