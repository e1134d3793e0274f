#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace platform::linux_backend {

// CONFIG_NR_CPUS stops at 8192: a larger CPU number is a broken file, not a CPU.
inline constexpr unsigned kMostCpus = 8192;

// The CPU numbers of a sysfs CPU list such as "0-3,8" (Documentation/ABI/testing/
// sysfs-devices-system-cpu), ascending as written. The empty text is the empty list.
// std::nullopt when the text is not such a list, or names a CPU beyond any kernel's limit.
std::optional<std::vector<unsigned>> parseCpuList(std::string_view text);

// The CPU numbers of a sysfs CPU mask such as "00000000,00000101" (the hexadecimal bitmaps of
// the same ABI document, and of every kernel before the lists: groups of eight hexadecimal
// digits, the first of which may be shorter, separated by commas, the most significant first),
// ascending. std::nullopt when the text is not such a mask, or names a CPU beyond any kernel's
// limit.
std::optional<std::vector<unsigned>> parseCpuMask(std::string_view text);

}  // namespace platform::linux_backend
