#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/linux/root_files.h"

namespace platform::linux_backend {

// MemTotal of a /proc/meminfo text in bytes; std::nullopt when the text has no such line, or
// one whose size in bytes does not fit in 64 bits.
std::optional<std::uint64_t> memTotalBytes(std::string_view meminfo);

// Installed memory in bytes: the online memory blocks times the block size
// (Documentation/admin-guide/mm/memory-hotplug.rst), which matches the RAM fitted; else
// MemTotal, which leaves out what the firmware and the kernel keep; on the live system
// sysinfo(2) when /proc and /sys are not mounted. A source whose size in bytes does not fit in
// 64 bits tells nothing. 0 when nothing tells.
std::uint64_t installedMemoryBytes(const RootFiles& files);

}  // namespace platform::linux_backend
