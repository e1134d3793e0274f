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

Text platformProperty(LinuxMachine& machine, std::string_view key) {
    const auto entries = machine.registryEntries("IOPlatformExpertDevice").value();
    return entries.empty() ? std::nullopt : machine.registryProperty(entries.front(), key);
}

struct Facts {
    const char* tree = "";
    std::uint32_t uid = 1000;
    Text model, brand;
    std::optional<std::uint64_t> clockHertz;
    std::optional<std::uint32_t> cores;
    std::uint64_t memoryBytes = 0;
    Text osName, osRelease, osVersion, distribution, hostName, userName, fullUserName;
    bool hasPlatformEntry = false;
    Text serial, uuid;
};

const Facts kMachines[] = {
    // Its firmware pads the product name; the padding is not part of the model.
    {"intel-laptop", 1000, "20XW0055GE", "11th Gen Intel(R) Core(TM) i7-1165G7 @ 2.80GHz",
     2'800'000'000, 4, 8 * 0x80000000ull, "Linux", "6.1.0-18-amd64",
     "#1 SMP PREEMPT_DYNAMIC Debian 6.1.76-1 (2024-02-01)", "Debian GNU/Linux 12",
     "李伟的 ThinkPad", "liwei", "Li Wei", true, "PF3QZK7M",
     "6b0f4c1e-2d8a-11b2-a85c-9d3e71f04b26"},
    // Placeholders everywhere but the board: its name stands in for the model, its serial for
    // the machine's, and the shared dummy UUID is no UUID.
    {"amd-desktop", 1000, "ASRock B550M Pro4", "AMD Ryzen 5 5600X 6-Core Processor", 3'700'000'000,
     6, 32785940ull * 1024, "Linux", "6.7.4-arch1-1",
     "#1 SMP PREEMPT_DYNAMIC Mon, 05 Feb 2024 22:07:37 +0000", "Arch Linux", "ryzen-tower", "chen",
     "chen", true, "M80-E7016400815", std::nullopt},
    // Read as a user: the root-only serial and UUID files are not there.
    {"macbook-linux", 1000, "MacBookPro10,1", "Intel(R) Core(TM) i7-3615QM CPU @ 2.30GHz",
     2'300'000'000, 4, 16337384ull * 1024, "Linux", "4.15.0-213-generic",
     "#224-Ubuntu SMP Mon Jun 19 13:30:12 UTC 2023", "Ubuntu 18.04", "mbp", "wangfang", "Wang Fang",
     true, std::nullopt, std::nullopt},
    {"bare-vm", 0, std::nullopt, "AMD EPYC", 2'096'016'000, 2, 24683748ull * 1024, "Linux",
     "6.6.0-vm", "#1 SMP PREEMPT_DYNAMIC @0", "Debian GNU/Linux 12", "vm", "root", "root", false,
     std::nullopt, std::nullopt},
    // A root of no files, read in a fresh directory: nothing known, no memory, no devices.
    Facts{},
};

TEST(LinuxMachineTest, ReportsTheFactsOfEachTree) {
    linux_test::TempTree empty;
    for (const Facts& facts : kMachines) {
        SCOPED_TRACE(facts.tree);
        LinuxMachine machine(
            *facts.tree ? std::filesystem::path(QUELMARN_FIXTURES_DIR) / facts.tree : empty.root(),
            facts.uid);
        EXPECT_EQ(sysctlText(machine, "hw.model"), facts.model);
        EXPECT_EQ(sysctlText(machine, "machdep.cpu.brand_string"), facts.brand);
        EXPECT_EQ(sysctlNumber<std::uint64_t>(machine, "hw.cpufrequency"), facts.clockHertz);
        EXPECT_EQ(sysctlNumber<std::uint32_t>(machine, "hw.physicalcpu"), facts.cores);
        EXPECT_EQ(machine.physicalMemory(), facts.memoryBytes);
        EXPECT_EQ(machine.operatingSystemName(), facts.osName);
        EXPECT_EQ(sysctlText(machine, "kern.ostype"), facts.osName);
        EXPECT_EQ(sysctlText(machine, "kern.osrelease"), facts.osRelease);
        EXPECT_EQ(sysctlText(machine, "kern.osversion"), facts.osVersion);
        EXPECT_EQ(sysctlText(machine, "quelmarn.os.product_name"), facts.distribution);
        EXPECT_EQ(machine.localizedHostName(), facts.hostName);
        EXPECT_EQ(machine.userName(), facts.userName);
        EXPECT_EQ(machine.fullUserName(), facts.fullUserName);
        EXPECT_EQ(machine.registryEntries("IOPlatformExpertDevice")->size(),
                  facts.hasPlatformEntry ? 1u : 0u);
        EXPECT_EQ(platformProperty(machine, "IOPlatformSerialNumber"), facts.serial);
        EXPECT_EQ(platformProperty(machine, "IOPlatformUUID"), facts.uuid);
    }
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
