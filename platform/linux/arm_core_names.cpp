#include "platform/linux/arm_core_names.h"

#include <array>

namespace platform::linux_backend {
namespace {

struct ArmCore {
    std::uint64_t implementer;
    std::uint64_t part;
    std::string_view name;
};

// The cores of common single-board computers, phones turned laptops and arm64 servers, from
// the cores' technical reference manuals (MIDR_EL1). Others fall back to the device tree.
constexpr std::array<ArmCore, 14> kCores = {{
    {0x41, 0xd03, "ARM Cortex-A53"},
    {0x41, 0xd04, "ARM Cortex-A35"},
    {0x41, 0xd05, "ARM Cortex-A55"},
    {0x41, 0xd07, "ARM Cortex-A57"},
    {0x41, 0xd08, "ARM Cortex-A72"},
    {0x41, 0xd09, "ARM Cortex-A73"},
    {0x41, 0xd0a, "ARM Cortex-A75"},
    {0x41, 0xd0b, "ARM Cortex-A76"},
    {0x41, 0xd0c, "ARM Neoverse-N1"},
    {0x41, 0xd0d, "ARM Cortex-A77"},
    {0x41, 0xd40, "ARM Neoverse-V1"},
    {0x41, 0xd41, "ARM Cortex-A78"},
    {0x41, 0xd49, "ARM Neoverse-N2"},
    {0x41, 0xd4f, "ARM Neoverse-V2"},
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
