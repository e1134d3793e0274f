#include "platform/linux/cpuinfo.h"

#include <gtest/gtest.h>

namespace {

using namespace platform::linux_backend;

// Two packages of two cores with two threads each: core ids repeat across packages.
constexpr const char* kTwoSockets =
    "processor\t: 0\nmodel name\t: Intel(R) Xeon(R) CPU E5-2630 v4 @ 2.20GHz\n"
    "physical id\t: 0\ncore id\t\t: 0\ncpu cores\t: 2\n\n"
    "processor\t: 1\nphysical id\t: 0\ncore id\t\t: 1\ncpu cores\t: 2\n\n"
    "processor\t: 2\nphysical id\t: 1\ncore id\t\t: 0\ncpu cores\t: 2\n\n"
    "processor\t: 3\nphysical id\t: 1\ncore id\t\t: 1\ncpu cores\t: 2\n\n"
    "processor\t: 4\nphysical id\t: 0\ncore id\t\t: 0\ncpu cores\t: 2\n\n"
    "processor\t: 5\nphysical id\t: 1\ncore id\t\t: 1\ncpu cores\t: 2\n";

constexpr const char* kRaspberryPi4 =
    "processor\t: 0\nBogoMIPS\t: 108.00\nCPU implementer\t: 0x41\nCPU part\t: 0xd08\n\n"
    "processor\t: 1\nBogoMIPS\t: 108.00\nCPU implementer\t: 0x41\nCPU part\t: 0xd08\n\n"
    "Hardware\t: BCM2835\nRevision\t: c03111\nSerial\t\t: 10000000aabbccdd\n";

TEST(CpuInfoTest, SplitsBlocksAndTrimsPairs) {
    const auto blocks = parseCpuInfo(kRaspberryPi4);
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_EQ(blocks[0].front(), (std::pair<std::string_view, std::string_view>{"processor", "0"}));
    EXPECT_EQ(firstValue(blocks, "Hardware"), "BCM2835");
    EXPECT_EQ(firstValue(blocks, "model name"), std::nullopt);
    EXPECT_TRUE(parseCpuInfo("\n\n").empty());
}

TEST(CpuInfoTest, NamesTheProcessor) {
    EXPECT_EQ(processorNameFromCpuInfo(parseCpuInfo(kTwoSockets)),
              "Intel(R) Xeon(R) CPU E5-2630 v4 @ 2.20GHz");
    EXPECT_EQ(processorNameFromCpuInfo(parseCpuInfo(kRaspberryPi4)), "ARM Cortex-A72");
    EXPECT_EQ(processorNameFromCpuInfo(
                  parseCpuInfo("processor\t: 0\nCPU implementer\t: 0x41\nCPU part\t: 0xfff\n")),
              std::nullopt);
    EXPECT_EQ(processorNameFromCpuInfo(parseCpuInfo("processor\t: 0\nmodel name\t:\n")),
              std::nullopt);
}

TEST(CpuInfoTest, CountsPhysicalCores) {
    const std::pair<const char*, unsigned> cases[] = {
        {kTwoSockets, 4},
        // Without core ids: "cpu cores" of each package, counted once a package.
        {"processor: 0\nphysical id: 0\ncpu cores: 4\n\nprocessor: 1\nphysical id: 0\n"
         "cpu cores: 4\n\nprocessor: 2\nphysical id: 1\ncpu cores: 4\n",
         8},
        {kRaspberryPi4, 2},
        {"", 0},
    };
    for (const auto& [text, cores] : cases) {
        EXPECT_EQ(physicalCoresFromCpuInfo(parseCpuInfo(text)), cores) << text;
    }
}

}  // namespace
