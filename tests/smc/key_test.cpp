#include "smc/smc_key.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using smc::SMCKeyCode;
using smc::SMCTypeText;

static_assert(SMCKeyCode("TC0D") == 0x54433044);

TEST(KeyCodeTest, FirstFourCharactersArePackedFirstHighest) {
    EXPECT_EQ(SMCKeyCode("TC0D"), 0x54433044u);
    EXPECT_EQ(SMCKeyCode("FNum"), 0x464E756Du);
    EXPECT_EQ(SMCKeyCode("F0AcX"), SMCKeyCode("F0Ac"));
    EXPECT_EQ(SMCKeyCode("F0"), 0x46300000u);
    EXPECT_EQ(SMCKeyCode(""), 0u);
}

TEST(TypeTextTest, TypeCodeUnpacksUpToItsFirstZero) {
    struct Case {
        std::uint32_t code;
        std::string text;
    };
    for (const Case& row : {Case{0x66706532, "fpe2"}, Case{0x73703738, "sp78"},
                            Case{0x75693820, "ui8 "}, Case{0, ""}, Case{0x66700032, "fp"}}) {
        const auto text = SMCTypeText(row.code);
        EXPECT_EQ(std::string(text.data()), row.text) << std::hex << row.code;
        EXPECT_EQ(text[4], '\0');
    }
}

}  // namespace
