#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "sysinfo/var_system_info.h"
#include "tests/support/scripted_machine.h"

namespace {

using sysinfo::VarSystemInfo;
using testing_support::InstalledMachine;
using testing_support::ScriptedMachine;

struct BrandCase {
    std::optional<std::string> brand;
    std::optional<std::string> name;
};

class BrandNameTest : public ::testing::TestWithParam<BrandCase> {
  protected:
    std::shared_ptr<ScriptedMachine> machine = std::make_shared<ScriptedMachine>();
    InstalledMachine installed{machine};
};

TEST_P(BrandNameTest, ShortNameKeepsTheWordsBeforeCPU) {
    if (GetParam().brand) {
        machine->setSysctlText("machdep.cpu.brand_string", *GetParam().brand);
    }
    EXPECT_EQ(VarSystemInfo().sysProcessorName(), GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(
    Brands, BrandNameTest,
    ::testing::Values(
        BrandCase{"Intel(R) Core(TM) i7-3615QM CPU @ 2.30GHz", "Intel Core i7"},
        BrandCase{"Intel(R) Core(TM)2 Duo CPU     P8600  @ 2.40GHz", "Intel Core Duo"},
        BrandCase{"Intel(R) Xeon(R) CPU           E5462  @ 2.80GHz", "Intel Xeon"},
        BrandCase{"Genuine Intel(R) CPU T2600 @ 2.16GHz", "Genuine Intel"},
        BrandCase{"Intel(R) Pentium(R) 4 processor 3.00GHz", "Intel Pentium processor"},
        BrandCase{"Intel(r) Core(tm) M-5Y31 cpu", "Intel Core M cpu"},
        BrandCase{"Intel® Core™ i5", "Intel Core i5"}, BrandCase{"CPU @ 2.00GHz", ""},
        BrandCase{"", ""}, BrandCase{std::nullopt, std::nullopt},
        BrandCase{"\tIntel(R)\tCore(TM)\ti3\t", "Intel Core i3"},
        BrandCase{"   AMD Ryzen", "AMD Ryzen"}, BrandCase{"Intel Core i9 CPU", "Intel Core i9"},
        BrandCase{"cpu Cpu CPU Intel", "cpu Cpu"}, BrandCase{"Intel(R)Core(TM)i5", "Intel Core i5"},
        BrandCase{"r R tm TM Tm (R) (TM)", ""},
        BrandCase{"AMD EPYC 7763 64-Core Processor", "AMD EPYC Core Processor"},
        BrandCase{"AMD Ryzen 7 5800X 8-Core Processor", "AMD Ryzen Core Processor"},
        BrandCase{"ARM Cortex-A72", "ARM Cortex A72"},
        BrandCase{"Intel ™Core®i5™", "Intel Core i5"},
        BrandCase{"Processeur Xéon", "Processeur Xéon"},
        BrandCase{"Intel\xFF"
                  "Core\xE2\x84 i3",
                  "Intel Core i3"}));

}  // namespace
