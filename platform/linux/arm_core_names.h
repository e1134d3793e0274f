#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace platform::linux_backend {

// The marketing name of an ARM core from the "CPU implementer" and "CPU part" codes of
// /proc/cpuinfo (the MIDR fields), such as "ARM Cortex-A72" for 0x41 and 0xd08.
// std::nullopt for a core not in this backend's short list of common ones.
std::optional<std::string_view> armCoreName(std::uint64_t implementer, std::uint64_t part);

}  // namespace platform::linux_backend
