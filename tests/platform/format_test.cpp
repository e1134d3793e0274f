#include "platform/format.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using platform::arg;
using platform::stringWithFormat;

TEST(StringWithFormat, ObjectsNumbersAndAbsentValues) {
    const std::optional<std::string> absent;
    const std::optional<std::uint64_t> cores = 4;
    EXPECT_EQ(stringWithFormat("CPU: %@", {arg(std::string("Intel Core i7"))}),
              "CPU: Intel Core i7");
    EXPECT_EQ(stringWithFormat("UUID %@", {arg(absent)}), "UUID (null)");
    EXPECT_EQ(stringWithFormat("CPU 数量: %@", {arg(cores)}), "CPU 数量: 4");
    EXPECT_EQ(stringWithFormat("%@", {arg(std::optional<std::uint64_t>())}), "(null)");
}

TEST(StringWithFormat, PrintfConversions) {
    EXPECT_EQ(stringWithFormat("CPU温度:%f", {arg(45.0)}), "CPU温度:45.000000");
    EXPECT_EQ(stringWithFormat("%.1fGHz", {arg(2.45)}), "2.5GHz");
    EXPECT_EQ(stringWithFormat("%.0f*%.0f", {arg(1440.0), arg(900.0)}), "1440*900");
    EXPECT_EQ(stringWithFormat("the fan num is %d", {arg(-2)}), "the fan num is -2");
    EXPECT_EQ(stringWithFormat("%ld", {arg(16L)}), "16");
    EXPECT_EQ(stringWithFormat("= %08x", {arg(0xe00002c2u)}), "= e00002c2");
    EXPECT_EQ(stringWithFormat("%s!", {arg("sn")}), "sn!");
    EXPECT_EQ(stringWithFormat("100%%"), "100%");
}

TEST(StringWithFormat, CharacterConversionPrintsTheCharacter) {
    EXPECT_EQ(stringWithFormat("[%c]", {arg('A')}), "[A]");
    EXPECT_EQ(stringWithFormat("[%3c|%-3c]", {arg('x'), arg(0x79u)}), "[  x|y  ]");
    EXPECT_EQ(stringWithFormat("%c", {arg(0xE9)}), "\xc3\xa9");  // Latin-1 é, kept valid UTF-8
}

// A '%' that starts no conversion is text: neither it nor what follows may be lost, and it
// leaves the argument to the conversion that comes next.
TEST(StringWithFormat, PercentWithoutConversionKeepsTheTextAfterIt) {
    EXPECT_EQ(stringWithFormat("up 50%! then %d", {arg(7)}), "up 50%! then 7");
    EXPECT_EQ(stringWithFormat("%-Z %% %.2f", {arg(1.5)}), "%-Z % 1.50");
    EXPECT_EQ(stringWithFormat("%1234d|%.1234f|%d", {arg(3)}), "%1234d|%.1234f|3");
}

TEST(StringWithFormat, MissingOrMismatchedArgumentsPrintNothingOfTheirOwn) {
    EXPECT_EQ(stringWithFormat("a %d b"), "a  b");
    EXPECT_EQ(stringWithFormat("a %d b", {arg(1.5)}), "a  b");
    EXPECT_EQ(stringWithFormat("trailing %"), "trailing %");
}

}  // namespace
