#include "sysinfo/integer_value.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace {

struct IntegerCase {
    std::string text;
    long value;
};

class IntegerValueTest : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(IntegerValueTest, LeadingIntegerIsRead) {
    EXPECT_EQ(sysinfo::integerValue(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, IntegerValueTest,
    ::testing::Values(IntegerCase{"12F45", 12}, IntegerCase{" \t 7 ", 7}, IntegerCase{"+3", 3},
                      IntegerCase{"-20", -20}, IntegerCase{"", 0}, IntegerCase{"beta", 0},
                      IntegerCase{"--5", 0}, IntegerCase{"- 5", 0},
                      IntegerCase{"9223372036854775807", std::numeric_limits<long>::max()},
                      IntegerCase{"99999999999999999999", std::numeric_limits<long>::max()},
                      IntegerCase{"9223372036854775808", std::numeric_limits<long>::max()},
                      IntegerCase{"-9223372036854775808", std::numeric_limits<long>::min()},
                      IntegerCase{"-99999999999999999999", std::numeric_limits<long>::min()}));

}  // namespace
