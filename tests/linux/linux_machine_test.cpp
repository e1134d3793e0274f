#include "platform/linux/linux_machine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "platform/machine.h"
#include "tests/linux/temp_tree.h"

namespace {

using platform::LinuxMachine;
using Text = std::optional<std::string>;

// The text of a sysctl value, which must end in its one NUL.
Text sysctlText(LinuxMachine& machine, std::string_view name) {
    const auto bytes = machine.sysctlValue(name);
    if (!bytes || bytes->empty() || bytes->back() != std::byte{0}) {
        return bytes ? Text("not a C string") : std::nullopt;
    }
    return std::string(reinterpret_cast<const char*>(bytes->data()), bytes->size() - 1);
}

// A number sysctl value, which must be exactly as wide as `Number`.
template <typename Number>
std::optional<Number> sysctlNumber(LinuxMachine& machine, std::string_view name) {
    const auto bytes = machine.sysctlValue(name);
    if (!bytes) {
        return std::nullopt;
    }
    EXPECT_EQ(bytes->size(), sizeof(Number)) << name;
    Number value = 0;
    std::memcpy(&value, bytes->data(), std::min(bytes->size(), sizeof value));
    return value;
}

// Captured machines are compared whole, through the record and the panel, in
// tests/panels/captured_machine_test.cpp. A root of no files, read in a fresh directory: nothing
// known, no memory, no devices, and no fallback to the system the test runs on.
TEST(LinuxMachineTest, AnEmptyRootKnowsNothing) {
    linux_test::TempTree empty;
    LinuxMachine machine(empty.root(), 1000);
    for (const auto* name : {"hw.model", "machdep.cpu.brand_string", "kern.ostype",
                             "kern.osrelease", "kern.osversion", "quelmarn.os.product_name"}) {
        EXPECT_EQ(sysctlText(machine, name), std::nullopt) << name;
    }
    EXPECT_EQ(sysctlNumber<std::uint64_t>(machine, "hw.cpufrequency"), std::nullopt);
    EXPECT_EQ(sysctlNumber<std::uint32_t>(machine, "hw.physicalcpu"), std::nullopt);
    EXPECT_EQ(machine.physicalMemory(), 0u);
    EXPECT_EQ(machine.operatingSystemName(), std::nullopt);
    EXPECT_EQ(machine.localizedHostName(), std::nullopt);
    EXPECT_EQ(machine.userName(), std::nullopt);
    EXPECT_EQ(machine.fullUserName(), std::nullopt);
    EXPECT_TRUE(machine.registryEntries("IOPlatformExpertDevice")->empty());
    EXPECT_TRUE(machine.registryEntries("AppleSMC")->empty());
}

// A launch or a panel describes one moment: within the outermost snapshot every file is read
// once, by every record and lookup of it, so nothing read meanwhile mixes two readings; the next
// moment reads again.
TEST(LinuxMachineTest, ASnapshotIsOneReadingUntilTheOutermostEnds) {
    linux_test::TempTree tree;
    tree.file("/proc/cpuinfo", "processor: 0\nmodel name: Old @ 1.00GHz\n");
    const auto machine = std::make_shared<LinuxMachine>(tree.root(), 0);
    platform::installMachine(machine);
    const auto smcEntries = [&] { return machine->registryEntries("AppleSMC")->size(); };
    {
        const platform::MachineSnapshot launch;
        EXPECT_EQ(smcEntries(), 0u);
        {
            const platform::MachineSnapshot record;
            EXPECT_EQ(sysctlText(*machine, "machdep.cpu.brand_string"), "Old @ 1.00GHz");
        }
        tree.file("/proc/cpuinfo", "processor: 0\nmodel name: New @ 2.00GHz\n");
        tree.files("/sys/class/hwmon/hwmon0/", "name=dell_smm;fan1_input=2400");
        EXPECT_EQ(sysctlNumber<std::uint64_t>(*machine, "hw.cpufrequency"), 1'000'000'000u);
        EXPECT_EQ(smcEntries(), 0u);
    }
    EXPECT_EQ(sysctlNumber<std::uint64_t>(*machine, "hw.cpufrequency"), 2'000'000'000u);
    EXPECT_EQ(smcEntries(), 1u);
    platform::installMachine(nullptr);
}

}  // namespace
