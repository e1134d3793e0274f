#include "platform/cfstring.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace {

using platform::CFString;
using platform::CFStringGetCString;
using platform::CFStringRef;
using platform::kCFStringEncodingMacRoman;

CFStringRef text(std::string utf8) {
    return std::make_unique<const CFString>(CFString{utf8});
}

struct CopyCase {
    std::string utf8;
    long bufferSize;
    bool copies;
    std::string bytes;  // what the buffer then holds, up to its zero
};

class MacRomanCopy : public ::testing::TestWithParam<CopyCase> {};

TEST_P(MacRomanCopy, WritesTheEncodedTextOrNothing) {
    const CopyCase& c = GetParam();
    std::array<char, 64> buffer{};
    buffer.fill('\x7f');
    buffer[63] = '\0';
    EXPECT_EQ(
        CFStringGetCString(text(c.utf8), buffer.data(), c.bufferSize, kCFStringEncodingMacRoman),
        c.copies);
    EXPECT_EQ(std::string(buffer.data()), c.copies ? c.bytes : std::string(63, '\x7f'));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MacRomanCopy,
    ::testing::Values(CopyCase{"C02JX0XXDRVC", 39, true, "C02JX0XXDRVC"}, CopyCase{"", 1, true, ""},
                      // The text and its zero must fit: 38 characters in 39 bytes, not 39.
                      CopyCase{std::string(38, 'A'), 39, true, std::string(38, 'A')},
                      CopyCase{std::string(39, 'A'), 39, false, ""},
                      CopyCase{"caf\xc3\xa9 \xe2\x84\xa2", 39, true, "caf\x8e \xaa"},
                      CopyCase{"\xe4\xb8\xad", 39, false, ""},  // no Mac OS Roman code
                      CopyCase{"\xff\xfe", 39, false, ""},      // not UTF-8
                      CopyCase{"ABC", 0, false, ""}));

TEST(CFStringGetCStringTest, NullStringCopiesNothing) {
    char buffer[4] = {'x', 'x', 'x', '\0'};
    EXPECT_FALSE(CFStringGetCString(nullptr, buffer, 4, kCFStringEncodingMacRoman));
    EXPECT_STREQ(buffer, "xxx");
}

}  // namespace

namespace {

TEST(CFStringCreateWithCStringTest, DecodesMacRomanAndChecksUtf8) {
    using platform::CFStringCreateWithCString;
    using platform::kCFAllocatorDefault;
    using platform::kCFStringEncodingUTF8;
    EXPECT_EQ(
        CFStringCreateWithCString(kCFAllocatorDefault, "C02X", kCFStringEncodingMacRoman)->utf8,
        "C02X");
    EXPECT_EQ(
        CFStringCreateWithCString(kCFAllocatorDefault, "caf\x8e \xaa", kCFStringEncodingMacRoman)
            ->utf8,
        "caf\xc3\xa9 \xe2\x84\xa2");
    EXPECT_EQ(CFStringCreateWithCString(kCFAllocatorDefault, "\xff", kCFStringEncodingUTF8),
              nullptr);
    EXPECT_EQ(CFStringCreateWithCString(kCFAllocatorDefault, nullptr, kCFStringEncodingMacRoman),
              nullptr);
}

}  // namespace

namespace {

TEST(CFStringCreateWithCStringTest, EveryMacRomanByteSurvivesTheRoundTrip) {
    std::string everyHighByte;
    for (int code = 0x80; code <= 0xFF; ++code) {
        everyHighByte.push_back(static_cast<char>(code));
    }
    const auto text = platform::CFStringCreateWithCString(
        platform::kCFAllocatorDefault, everyHighByte.c_str(), platform::kCFStringEncodingMacRoman);
    char buffer[130] = {};
    ASSERT_TRUE(CFStringGetCString(text, buffer, sizeof buffer, kCFStringEncodingMacRoman));
    EXPECT_EQ(std::string(buffer), everyHighByte);
}

}  // namespace
