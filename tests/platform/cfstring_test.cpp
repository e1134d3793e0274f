#include "platform/cfstring.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace {

using namespace platform;

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
    const CFStringRef text = std::make_unique<const CFString>(CFString{c.utf8});
    EXPECT_EQ(CFStringGetCString(text, buffer.data(), c.bufferSize, kCFStringEncodingMacRoman),
              c.copies);
    EXPECT_EQ(std::string(buffer.data()), c.copies ? c.bytes : std::string(63, '\x7f'));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MacRomanCopy,
    ::testing::Values(CopyCase{"", 1, true, ""},
                      // The text and its zero must fit: 38 characters in 39 bytes, not 39.
                      CopyCase{std::string(38, 'A'), 39, true, std::string(38, 'A')},
                      CopyCase{std::string(39, 'A'), 39, false, ""},
                      CopyCase{"caf\xc3\xa9 \xe2\x84\xa2", 39, true, "caf\x8e \xaa"},
                      CopyCase{"\xe4\xb8\xad", 39, false, ""},  // no Mac OS Roman code
                      CopyCase{"\xff\xfe", 39, false, ""},      // not UTF-8
                      CopyCase{"ABC", 0, false, ""}));

TEST(CFStringTest, NoStringOrNoValidBytesGiveNothing) {
    char buffer[4] = {'x', 'x', 'x', '\0'};
    EXPECT_FALSE(CFStringGetCString(nullptr, buffer, 4, kCFStringEncodingMacRoman));
    EXPECT_STREQ(buffer, "xxx");
    EXPECT_EQ(CFStringCreateWithCString(kCFAllocatorDefault, "\xff", kCFStringEncodingUTF8),
              nullptr);
    EXPECT_EQ(CFStringCreateWithCString(kCFAllocatorDefault, nullptr, kCFStringEncodingMacRoman),
              nullptr);
}

// With the encoding pinned down by the copy cases, this pins down the decoding of every byte.
TEST(CFStringTest, EveryMacRomanByteSurvivesTheRoundTrip) {
    std::string everyByte;
    for (int code = 0x01; code <= 0xFF; ++code) {
        everyByte.push_back(static_cast<char>(code));
    }
    const auto text = CFStringCreateWithCString(kCFAllocatorDefault, everyByte.c_str(),
                                                kCFStringEncodingMacRoman);
    char buffer[512] = {};
    ASSERT_TRUE(CFStringGetCString(text, buffer, sizeof buffer, kCFStringEncodingMacRoman));
    EXPECT_EQ(std::string(buffer), everyByte);
    EXPECT_EQ(
        CFStringCreateWithCString(kCFAllocatorDefault, "caf\x8e", kCFStringEncodingMacRoman)->utf8,
        "caf\xc3\xa9");
}

}  // namespace
