#include "platform/format.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using platform::arg;
using platform::stringWithFormat;

// The launch log and the panels show the texts, numbers and fixed-point conversions of this
// system's own formats.
TEST(StringWithFormat, AbsentValues) {
    const std::optional<std::string> absent;
    EXPECT_EQ(stringWithFormat("UUID %@", {arg(absent)}), "UUID (null)");
    EXPECT_EQ(stringWithFormat("%@", {arg(std::optional<std::uint64_t>())}), "(null)");
}

TEST(StringWithFormat, PrintfConversions) {
    EXPECT_EQ(stringWithFormat("the fan num is %d", {arg(-2)}), "the fan num is -2");
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
