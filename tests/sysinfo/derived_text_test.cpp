#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "sysinfo/var_system_info.h"
#include "tests/support/scripted_machine.h"

namespace {

using sysinfo::VarSystemInfo;
using testing_support::InstalledMachine;
using testing_support::ScriptedMachine;

using Text = std::optional<std::string>;

void setOrRemove(ScriptedMachine& machine, const std::string& name, const Text& value) {
    if (value) {
        machine.setSysctlText(name, *value);
    } else {
        machine.removeSysctl(name);
    }
}

// A machine that answers only the names a test sets.
class SysctlTest : public ::testing::Test {
  protected:
    std::shared_ptr<ScriptedMachine> machine = std::make_shared<ScriptedMachine>();
    InstalledMachine installed{machine};
};

struct BrandCase {
    Text brand;
    Text name;
};

class BrandNameTest : public SysctlTest, public ::testing::WithParamInterface<BrandCase> {};

TEST_P(BrandNameTest, ShortNameIsMakerAndProductLine) {
    setOrRemove(*machine, "machdep.cpu.brand_string", GetParam().brand);
    EXPECT_EQ(VarSystemInfo().sysProcessorName(), GetParam().name);
}

// The names of the captured trees are checked through the device panel.
const BrandCase kBrands[] = {
    {"Intel(R) Core(TM) i7-3615QM CPU @ 2.30GHz", "Intel Core i7"},
    {"Intel(R) Core(TM)2 Duo CPU     P8600  @ 2.40GHz", "Intel Core Duo"},
    {"Intel(R) Xeon(R) CPU           E5462  @ 2.80GHz", "Intel Xeon"},
    {"Genuine Intel(R) CPU T2600 @ 2.16GHz", "Genuine Intel"},
    {"Intel(R) Pentium(R) 4 processor 3.00GHz", "Intel Pentium processor"},
    {"Intel(r) Core(tm) M-5Y31 cpu", "Intel Core M cpu"},
    {"Intel® Core™ i5", "Intel Core i5"},
    {"CPU @ 2.00GHz", ""},
    {"", ""},
    {std::nullopt, std::nullopt},
    {"\tIntel(R)\tCore(TM)\ti3\t", "Intel Core i3"},
    {"cpu Cpu CPU Intel", "cpu Cpu"},
    {"r R tm TM Tm (R) (TM)", ""},
    // Marks inside words, and text outside ASCII.
    {"Intel ™Core®i5™", "Intel Core i5"},
    {"Processeur Xéon", "Processeur Xéon"},
    {"Intel\xFF"
     "Core\xE2\x84 i3",
     "Intel Core i3"},
    // A generation ordinal goes with its "Gen".
    {"13th Gen Intel(R) Core(TM) i7-1370P", "Intel Core i7"},
    {"11th Gen Intel(R) Core(TM) i7-1165G7 @ 2.80GHz", "Intel Core i7"},
    {"Intel(R) Core(TM) Ultra 7 155H", "Intel Core Ultra"},
    {"Gen 2nd Gen Genuine", "Gen Genuine"},
    // Integrated graphics are not the processor.
    {"AMD Ryzen 7 PRO 7840U w/ Radeon 780M Graphics", "AMD Ryzen PRO"},
    {"AMD Ryzen 5 5600G with Radeon Graphics", "AMD Ryzen"},
    {"AMD A10-7850K Radeon R7, 12 Compute Cores 4C+8G", "AMD A10"},
    // Nor is a core count, with its "Processor"; one that leads goes alone.
    {"AMD Ryzen 9 5900X 12-Core Processor", "AMD Ryzen"},
    {"AMD EPYC 7763 64-Core Processor", "AMD EPYC"},
    {"AMD FX(tm)-8350 Eight-Core Processor", "AMD FX"},
    {"AMD Ryzen Threadripper PRO 5995WX 64-Cores", "AMD Ryzen Threadripper PRO"},
    {"AMD Athlon(tm) 64 X2 Dual Core Processor 4200+", "AMD Athlon X2"},
    {"Quad-Core AMD Opteron(tm) Processor 2376", "AMD Opteron Processor"},
    // Words of a count that count nothing stay.
    {"Intel(R) Core(TM)2 Quad CPU    Q9550  @ 2.83GHz", "Intel Core Quad"},
    {"AMD Phenom(tm) II X6 1090T Processor", "AMD Phenom II X6 Processor"}};
INSTANTIATE_TEST_SUITE_P(Brands, BrandNameTest, ::testing::ValuesIn(kBrands));

struct LinuxCase {
    Text kernel;
    Text distribution;
    Text release;
    Text version;
};

class LinuxVersionTest : public SysctlTest, public ::testing::WithParamInterface<LinuxCase> {};

TEST_P(LinuxVersionTest, VersionNamesTheDistributionAndTheKernelRelease) {
    setOrRemove(*machine, "kern.ostype", GetParam().kernel);
    setOrRemove(*machine, "quelmarn.os.product_name", GetParam().distribution);
    setOrRemove(*machine, "kern.osrelease", GetParam().release);
    machine->setSysctlText("kern.osversion", "#1 SMP PREEMPT_DYNAMIC Debian 6.1.76-1");
    EXPECT_EQ(VarSystemInfo().sysOSVersion(), GetParam().version);
}

const LinuxCase kKernels[] = {
    {"Linux", "Debian GNU/Linux 12", "6.1.0-18-amd64", "Debian GNU/Linux 12 (6.1.0-18-amd64)"},
    {"Linux", std::nullopt, "6.1.0-18-amd64", "Linux (6.1.0-18-amd64)"},
    {"Linux", "Debian GNU/Linux 12", std::nullopt, "Debian GNU/Linux 12"},
    {"Linux", std::nullopt, std::nullopt, "Linux"},
    {"FreeBSD", std::nullopt, "14.0-RELEASE", "FreeBSD (14.0-RELEASE)"},
    {std::nullopt, "Debian GNU/Linux 12", "6.1.0-18-amd64", "Debian GNU/Linux 12 (6.1.0-18-amd64)"},
    {std::nullopt, std::nullopt, "6.1.0-18-amd64", "Linux (6.1.0-18-amd64)"},
    {std::nullopt, "Debian GNU/Linux 12", std::nullopt, std::nullopt}};
INSTANTIATE_TEST_SUITE_P(Kernels, LinuxVersionTest, ::testing::ValuesIn(kKernels));

TEST_F(SysctlTest, VersionIsComposedAnewOnEveryCall) {
    machine->setSysctlText("kern.ostype", "Linux");
    machine->setSysctlText("kern.osrelease", "6.1.0-18-amd64");
    const VarSystemInfo record;
    machine->setSysctlText("kern.osrelease", "6.1.0-21-amd64");
    EXPECT_EQ(record.getOSVersionInfo(), "Linux (6.1.0-21-amd64)");
    EXPECT_EQ(record.sysOSVersion(), "Linux (6.1.0-18-amd64)");
}

}  // namespace
