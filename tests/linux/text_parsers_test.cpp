#include <gtest/gtest.h>

#include "platform/linux/clock_text.h"
#include "platform/linux/cpu_list.h"
#include "platform/linux/cpuinfo.h"
#include "platform/linux/firmware_placeholder.h"
#include "platform/linux/operating_system.h"
#include "platform/linux/passwd.h"
#include "platform/linux/shell_assignments.h"

namespace {

using namespace platform::linux_backend;

// The captured trees cover blocks named by their core, by their model name and by the big core
// of a big.LITTLE board, and cores counted by core id and by thread only.
TEST(CpuInfoTest, NamesTheProcessorAndCountsCores) {
    for (const char* nameless : {"processor\t: 0\nCPU implementer\t: 0x41\nCPU part\t: 0xfff\n",
                                 "processor\t: 0\nmodel name\t:\n",
                                 "processor\t: 0\nModel\t: Raspberry Pi 4 Model B Rev 1.4\n"}) {
        EXPECT_EQ(processorNameFromCpuInfo(parseCpuInfo(nameless)), std::nullopt) << nameless;
    }
    // Older 32-bit ARM kernels name the processor once, before the processor blocks.
    EXPECT_EQ(processorNameFromCpuInfo(
                  parseCpuInfo("Processor\t: ARMv7 Processor rev 4 (v7l)\nprocessor\t: 0\n\n"
                               "CPU implementer\t: 0x56\nCPU part\t: 0x584\n")),
              "ARMv7 Processor rev 4 (v7l)");
    const std::pair<const char*, unsigned> cores[] = {
        // Without core ids: "cpu cores" of each package, counted once a package.
        {"processor: 0\nphysical id: 0\ncpu cores: 4\n\nprocessor: 1\nphysical id: 0\n"
         "cpu cores: 4\n\nprocessor: 2\nphysical id: 1\ncpu cores: 4\n",
         8},
        // A count past 32 bits is no count.
        {"processor: 0\nphysical id: 0\ncpu cores: 4294967296\n", 0},
        {"", 0},
    };
    for (const auto& [text, count] : cores) {
        EXPECT_EQ(physicalCoresFromCpuInfo(parseCpuInfo(text)), count) << text;
    }
}

TEST(CpuListTest, ReadsRangesAndSingles) {
    using Cpus = std::optional<std::vector<unsigned>>;
    EXPECT_EQ(parseCpuList("8,1,3-4"), (Cpus{{8, 1, 3, 4}}));
    EXPECT_EQ(parseCpuList(""), (Cpus{std::vector<unsigned>{}}));
    for (const char* broken : {"3-1", "a", "0-3,,4", "0-", "-2", "0-9000"}) {
        EXPECT_EQ(parseCpuList(broken), std::nullopt) << broken;
    }
}

TEST(CpuMaskTest, ReadsGroupsMostSignificantFirst) {
    using Cpus = std::optional<std::vector<unsigned>>;
    EXPECT_EQ(parseCpuMask("00000101\n"), (Cpus{{0, 8}}));
    EXPECT_EQ(parseCpuMask("3,80000000"), (Cpus{{31, 32, 33}}));
    EXPECT_EQ(parseCpuMask("00000000,00000000,0000000c"), (Cpus{{2, 3}}));
    EXPECT_EQ(parseCpuMask("0"), (Cpus{std::vector<unsigned>{}}));
    // 256 groups reach CPU 8191, the most a kernel has.
    std::string widest = "80000000";
    for (int group = 1; group < 256; ++group) {
        widest += ",00000000";
    }
    EXPECT_EQ(parseCpuMask(widest), (Cpus{{8191}}));
    for (const std::string& broken :
         std::vector<std::string>{"", "0x3", "g", "1,2", "000000001", "00000001,", ",00000001",
                                  "1,,00000000", "0," + widest}) {
        EXPECT_EQ(parseCpuMask(broken), std::nullopt) << broken;
    }
}

TEST(OsReleaseTest, UnquotesAsOsReleaseSaysAndNamesTheDistribution) {
    // The captured trees cover double quotes around spaces and UTF-8.
    const auto values = parseShellAssignments(
        "# a comment\nESCAPED=\"say \\\"hi\\\" for \\$5\\\\ \\n\"\nSINGLE='it''s $HOME'\n"
        "BARE=bookworm\nSPACED=one two\n  INDENTED = no\nnot an assignment\nBARE=trixie\n");
    const std::map<std::string, std::string, std::less<>> expected = {
        {"ESCAPED", "say \"hi\" for $5\\ \\n"},
        {"SINGLE", "its $HOME"},
        {"BARE", "trixie"},
        {"SPACED", "one"}};
    EXPECT_EQ(values, expected);
    // The captured trees cover NAME with VERSION_ID, and PRETTY_NAME without it.
    EXPECT_EQ(distributionFromOsRelease("NAME=Gentoo\nVERSION_ID="), "Gentoo");
    EXPECT_EQ(distributionFromOsRelease("ID=unknown\n"), std::nullopt);
    EXPECT_EQ(distributionFromOsRelease("\xEF\xBB\xBFNAME=\"Fedora Linux\"\nVERSION_ID=39\n"),
              "Fedora Linux 39");
}

TEST(PasswdTest, FindsTheUserAndTheirFullName) {
    const char* passwd = "broken line\nlab:x:1002:1002:,Room 3:/home/lab:/bin/sh";
    // The captured trees cover root, a full name before commas and an empty GECOS field.
    const auto lab = findPasswdEntry(passwd, 1002);
    ASSERT_TRUE(lab);
    EXPECT_EQ(lab->login, "lab");
    EXPECT_EQ(fullNameOf(*lab), "lab");  // a GECOS field that starts with a comma
    EXPECT_FALSE(findPasswdEntry(passwd, 4242));
}

TEST(FirmwarePlaceholderTest, KnowsTheFillersBoardMakersShip) {
    for (const char* filler : {"to be filled by o.e.m.", " Default string ", "System Serial Number",
                               "Not Specified", "N/A", "None", "", "   ", "00000000", "XXXXXXXXXX",
                               "00000000-0000-0000-0000-000000000000", "0123456789"}) {
        EXPECT_TRUE(isFirmwarePlaceholder(filler)) << '"' << filler << '"';
    }
    // The captured trees cover real models, serial numbers and UUIDs.
    for (const char* real : {"Nonesuch", "1.0", "Standard PC (Q35 + ICH9, 2009)"}) {
        EXPECT_FALSE(isFirmwarePlaceholder(real)) << real;
    }
}

// The captured trees cover names ending in GHz and in no clock, and megahertz with a fraction.
TEST(ClockTextTest, HertzFromTheNameSuffixAndFromMegahertz) {
    EXPECT_EQ(hertzFromNameSuffix("Intel(R) Pentium(R) M processor @ 800MHz"), 800'000'000u);
    EXPECT_EQ(hertzFromNameSuffix("Odd @ fastGHz"), std::nullopt);
    EXPECT_EQ(hertzFromMegahertz("1.2345678"), 1'234'567u);
    EXPECT_EQ(hertzFromMegahertz("0.000"), std::nullopt);
    EXPECT_EQ(hertzFromMegahertz("-5"), std::nullopt);
    EXPECT_EQ(hertzFromMegahertz("99999999999999999"), std::nullopt);
}

}  // namespace
