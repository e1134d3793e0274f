#include "platform/integer_value.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <utility>

namespace {

TEST(IntegerValueTest, LeadingIntegerIsReadAndHeldWithinLong) {
    using Row = std::pair<std::string, long>;
    constexpr long kMax = std::numeric_limits<long>::max();
    constexpr long kMin = std::numeric_limits<long>::min();
    for (const auto& [text, value] :
         {Row{"12F45", 12}, Row{" \t 7 ", 7}, Row{"+3", 3}, Row{"-20", -20}, Row{"", 0},
          Row{"beta", 0}, Row{"--5", 0}, Row{"- 5", 0}, Row{"9223372036854775807", kMax},
          Row{"99999999999999999999", kMax}, Row{"9223372036854775808", kMax},
          Row{"-9223372036854775808", kMin}, Row{"-99999999999999999999", kMin}}) {
        EXPECT_EQ(platform::integerValue(text), value) << '"' << text << '"';
    }
}

}  // namespace
