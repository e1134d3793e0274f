#include <gtest/gtest.h>

#include "platform/linux/clock_text.h"
#include "platform/linux/cpu_list.h"
#include "platform/linux/firmware_placeholder.h"
#include "platform/linux/memory_size.h"
#include "platform/linux/operating_system.h"
#include "platform/linux/passwd.h"
#include "platform/linux/shell_assignments.h"

namespace {

using namespace platform::linux_backend;

TEST(CpuListTest, ReadsRangesAndSingles) {
    using Cpus = std::optional<std::vector<unsigned>>;
    EXPECT_EQ(parseCpuList("0-3,8\n"), (Cpus{{0, 1, 2, 3, 8}}));
    EXPECT_EQ(parseCpuList("5"), (Cpus{{5}}));
    EXPECT_EQ(parseCpuList("8,1,3-4"), (Cpus{{8, 1, 3, 4}}));
    EXPECT_EQ(parseCpuList(""), (Cpus{std::vector<unsigned>{}}));
    for (const char* broken : {"3-1", "a", "0-3,,4", "0-", "-2", "0-9000"}) {
        EXPECT_EQ(parseCpuList(broken), std::nullopt) << broken;
    }
}

TEST(ShellAssignmentsTest, UnquotesAsOsReleaseSays) {
    const auto values = parseShellAssignments(
        "# a comment\n"
        "NAME=\"Debian GNU/Linux\"\n"
        "ESCAPED=\"say \\\"hi\\\" for \\$5\\\\ \\n\"\n"
        "SINGLE='it''s $HOME'\n"
        "BARE=bookworm\n"
        "SPACED=one two\n"
        "  INDENTED = no\n"
        "not an assignment\n"
        "PRETTY_HOSTNAME=\"李伟的 ThinkPad\"\n"
        "BARE=trixie\n");
    const std::map<std::string, std::string, std::less<>> expected = {
        {"NAME", "Debian GNU/Linux"},
        {"ESCAPED", "say \"hi\" for $5\\ \\n"},
        {"SINGLE", "its $HOME"},
        {"BARE", "trixie"},
        {"SPACED", "one"},
        {"PRETTY_HOSTNAME", "李伟的 ThinkPad"},
    };
    EXPECT_EQ(values, expected);
}

TEST(OsReleaseTest, NameAndVersionElseThePrettyName) {
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"NAME=\"Debian GNU/Linux\"\nVERSION_ID=\"12\"\nPRETTY_NAME=\"Debian GNU/Linux 12 "
         "(bookworm)\"",
         "Debian GNU/Linux 12"},
        {"NAME=\"Arch Linux\"\nPRETTY_NAME=\"Arch Linux\"\nBUILD_ID=rolling", "Arch Linux"},
        {"NAME=Gentoo\nVERSION_ID=", "Gentoo"},
        {"ID=unknown\n", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [text, name] : cases) {
        EXPECT_EQ(distributionFromOsRelease(text), name) << text;
    }
}

TEST(PasswdTest, FindsTheUserAndTheirFullName) {
    const char* passwd =
        "root:x:0:0:root:/root:/bin/bash\n"
        "broken line\n"
        "liwei:x:1000:1000:Li Wei,,,:/home/liwei:/bin/bash\n"
        "chen:x:1001:1001::/home/chen:/usr/bin/zsh\n"
        "lab:x:1002:1002:,Room 3:/home/lab:/bin/sh";
    const std::pair<std::uint32_t, std::optional<std::pair<std::string, std::string>>> cases[] = {
        {0, {{"root", "root"}}},  {1000, {{"liwei", "Li Wei"}}}, {1001, {{"chen", "chen"}}},
        {1002, {{"lab", "lab"}}}, {4242, std::nullopt},
    };
    for (const auto& [uid, names] : cases) {
        const auto entry = findPasswdEntry(passwd, uid);
        ASSERT_EQ(entry.has_value(), names.has_value()) << uid;
        if (entry) {
            EXPECT_EQ(entry->login, names->first);
            EXPECT_EQ(fullNameOf(*entry), names->second);
        }
    }
}

TEST(FirmwarePlaceholderTest, KnowsTheFillersBoardMakersShip) {
    for (const char* filler :
         {"To Be Filled By O.E.M.", "to be filled by o.e.m.", " Default string ",
          "System Serial Number", "Not Specified", "N/A", "None", "", "   ", "00000000",
          "XXXXXXXXXX", "00000000-0000-0000-0000-000000000000",
          "03000200-0400-0500-0006-000700080009", "0123456789"}) {
        EXPECT_TRUE(isFirmwarePlaceholder(filler)) << '"' << filler << '"';
    }
    for (const char* real :
         {"20XW0055GE", "MacBookPro10,1", "PF3QZK7M", "Nonesuch", "1.0",
          "6b0f4c1e-2d8a-11b2-a85c-9d3e71f04b26", "Standard PC (Q35 + ICH9, 2009)"}) {
        EXPECT_FALSE(isFirmwarePlaceholder(real)) << real;
    }
}

TEST(ClockTextTest, HertzFromTheNameSuffixAndFromMegahertz) {
    EXPECT_EQ(hertzFromNameSuffix("Intel(R) Core(TM) i7-3615QM CPU @ 2.30GHz"), 2'300'000'000u);
    EXPECT_EQ(hertzFromNameSuffix("Intel(R) Pentium(R) M processor @ 800MHz"), 800'000'000u);
    EXPECT_EQ(hertzFromNameSuffix("AMD Ryzen 5 5600X 6-Core Processor"), std::nullopt);
    EXPECT_EQ(hertzFromNameSuffix("Odd @ fastGHz"), std::nullopt);
    EXPECT_EQ(hertzFromMegahertz("2096.016"), 2'096'016'000u);
    EXPECT_EQ(hertzFromMegahertz("3700"), 3'700'000'000u);
    EXPECT_EQ(hertzFromMegahertz("1.2345678"), 1'234'567u);
    EXPECT_EQ(hertzFromMegahertz("0.000"), std::nullopt);
    EXPECT_EQ(hertzFromMegahertz("-5"), std::nullopt);
    EXPECT_EQ(hertzFromMegahertz("99999999999999999"), std::nullopt);
}

TEST(MemInfoTest, MemTotalInBytes) {
    EXPECT_EQ(memTotalBytes("MemTotal:       24683748 kB\nMemFree:        24157504 kB\n"),
              24683748ull * 1024);
    EXPECT_EQ(memTotalBytes("MemFree:        24157504 kB\n"), std::nullopt);
    EXPECT_EQ(memTotalBytes("MemTotal:       lots kB\n"), std::nullopt);
}

}  // namespace
