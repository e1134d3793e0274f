#include "platform/linux/arm_core_names.h"

#include <array>

namespace platform::linux_backend {
namespace {

struct ArmCore {
    std::uint64_t implementer;
    std::uint64_t part;
    std::string_view name;
};

// The cores of single-board computers, phones, laptops and arm64 servers by their MIDR
// implementer and part numbers (the cores' technical reference manuals; the same numbers name
// the cores in arch/arm64/include/asm/cputype.h). Others fall back to the device tree.
constexpr std::array<ArmCore, 66> kCores = {{
    {0x41, 0xb36, "ARM1136"},
    {0x41, 0xb76, "ARM1176"},
    {0x41, 0xc05, "ARM Cortex-A5"},
    {0x41, 0xc07, "ARM Cortex-A7"},
    {0x41, 0xc08, "ARM Cortex-A8"},
    {0x41, 0xc09, "ARM Cortex-A9"},
    {0x41, 0xc0d, "ARM Cortex-A12"},
    {0x41, 0xc0e, "ARM Cortex-A17"},
    {0x41, 0xc0f, "ARM Cortex-A15"},
    {0x41, 0xd01, "ARM Cortex-A32"},
    {0x41, 0xd02, "ARM Cortex-A34"},
    {0x41, 0xd03, "ARM Cortex-A53"},
    {0x41, 0xd04, "ARM Cortex-A35"},
    {0x41, 0xd05, "ARM Cortex-A55"},
    {0x41, 0xd06, "ARM Cortex-A65"},
    {0x41, 0xd07, "ARM Cortex-A57"},
    {0x41, 0xd08, "ARM Cortex-A72"},
    {0x41, 0xd09, "ARM Cortex-A73"},
    {0x41, 0xd0a, "ARM Cortex-A75"},
    {0x41, 0xd0b, "ARM Cortex-A76"},
    {0x41, 0xd0c, "ARM Neoverse-N1"},
    {0x41, 0xd0d, "ARM Cortex-A77"},
    {0x41, 0xd0e, "ARM Cortex-A76AE"},
    {0x41, 0xd40, "ARM Neoverse-V1"},
    {0x41, 0xd41, "ARM Cortex-A78"},
    {0x41, 0xd42, "ARM Cortex-A78AE"},
    {0x41, 0xd43, "ARM Cortex-A65AE"},
    {0x41, 0xd44, "ARM Cortex-X1"},
    {0x41, 0xd46, "ARM Cortex-A510"},
    {0x41, 0xd47, "ARM Cortex-A710"},
    {0x41, 0xd48, "ARM Cortex-X2"},
    {0x41, 0xd49, "ARM Neoverse-N2"},
    {0x41, 0xd4a, "ARM Neoverse-E1"},
    {0x41, 0xd4b, "ARM Cortex-A78C"},
    {0x41, 0xd4c, "ARM Cortex-X1C"},
    {0x41, 0xd4d, "ARM Cortex-A715"},
    {0x41, 0xd4e, "ARM Cortex-X3"},
    {0x41, 0xd4f, "ARM Neoverse-V2"},
    {0x41, 0xd80, "ARM Cortex-A520"},
    {0x41, 0xd81, "ARM Cortex-A720"},
    {0x41, 0xd82, "ARM Cortex-X4"},
    {0x41, 0xd84, "ARM Neoverse-V3"},
    {0x41, 0xd85, "ARM Cortex-X925"},
    {0x41, 0xd87, "ARM Cortex-A725"},
    {0x41, 0xd8e, "ARM Neoverse-N3"},
    {0x42, 0x516, "Broadcom Vulcan"},
    {0x43, 0x0a1, "Cavium ThunderX"},
    {0x43, 0x0af, "Cavium ThunderX2"},
    {0x46, 0x001, "Fujitsu A64FX"},
    {0x48, 0xd01, "HiSilicon TaiShan v110"},
    {0x4e, 0x003, "NVIDIA Denver"},
    {0x4e, 0x004, "NVIDIA Carmel"},
    {0x51, 0x800, "Qualcomm Kryo 2XX Gold"},
    {0x51, 0x801, "Qualcomm Kryo 2XX Silver"},
    {0x51, 0x802, "Qualcomm Kryo 3XX Gold"},
    {0x51, 0x803, "Qualcomm Kryo 3XX Silver"},
    {0x51, 0x804, "Qualcomm Kryo 4XX Gold"},
    {0x51, 0x805, "Qualcomm Kryo 4XX Silver"},
    {0x51, 0xc00, "Qualcomm Falkor"},
    {0x51, 0x001, "Qualcomm Oryon"},
    {0x61, 0x022, "Apple M1 Icestorm"},
    {0x61, 0x023, "Apple M1 Firestorm"},
    {0x61, 0x032, "Apple M2 Blizzard"},
    {0x61, 0x033, "Apple M2 Avalanche"},
    {0xc0, 0xac3, "Ampere-1"},
    {0xc0, 0xac4, "Ampere-1a"},
}};

}  // namespace

std::optional<std::string_view> armCoreName(std::uint64_t implementer, std::uint64_t part) {
    for (const auto& core : kCores) {
        if (core.implementer == implementer && core.part == part) {
            return core.name;
        }
    }
    return std::nullopt;
}

}  // namespace platform::linux_backend
