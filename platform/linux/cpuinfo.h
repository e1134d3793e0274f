#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform::linux_backend {

// One block of /proc/cpuinfo (the lines between blank lines; one per processor, and on some ARM
// boards a closing block about the board): its "key : value" pairs in order, trimmed.
using CpuInfoBlock = std::vector<std::pair<std::string_view, std::string_view>>;

// The blocks of a /proc/cpuinfo text. The views point into `text`, which must outlive them.
std::vector<CpuInfoBlock> parseCpuInfo(std::string_view text);

// The value of `key` in the first block that has it; std::nullopt when none has it.
std::optional<std::string_view> firstValue(const std::vector<CpuInfoBlock>& blocks,
                                           std::string_view key);

// The processor's name as cpuinfo gives it: "model name" (x86 and 32-bit ARM), else the name
// of the core that "CPU implementer" and "CPU part" identify (arm64). std::nullopt when
// neither is there or the core is not one this backend knows.
std::optional<std::string> processorNameFromCpuInfo(const std::vector<CpuInfoBlock>& blocks);

// Physical cores by cpuinfo alone: distinct ("physical id", "core id") pairs when every
// processor has both (core ids repeat across packages), else the sum of "cpu cores" over
// distinct physical ids, else the number of processors. 0 when there is no processor block.
unsigned physicalCoresFromCpuInfo(const std::vector<CpuInfoBlock>& blocks);

}  // namespace platform::linux_backend
