#pragma once

#include <cstdint>
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

// The name of processor `cpu` (the block whose "processor" is that number; without a number, or
// where that block does not say, the first block that does) as each architecture's
// show_cpuinfo() writes it. Keys match exactly, case included:
// - an ARM core that "CPU implementer" and "CPU part" identify (arm_core_names.h), as both
//   arm64, which writes no name, and 32-bit ARM, whose name is only the architecture, give these;
// - "model name" (x86, 32-bit ARM), "Model Name" (LoongArch), "cpu" (PowerPC, SPARC),
//   "uarch" (RISC-V), "cpu model" (MIPS), then "Processor" (older 32-bit ARM kernels).
// The Raspberry Pi's "Model" names the board, not the processor, and is never taken.
// std::nullopt when none of these has a value.
std::optional<std::string> processorNameFromCpuInfo(const std::vector<CpuInfoBlock>& blocks,
                                                    std::optional<unsigned> cpu = std::nullopt);

// The clock in hertz that cpuinfo states for processor `cpu` (as above): "cpu MHz" (x86, the
// current clock), "CPU MHz" (LoongArch) or "clock" (PowerPC, "3000.000000MHz").
// std::nullopt when none is there, or it is 0 or not a number.
std::optional<std::uint64_t> clockHertzFromCpuInfo(const std::vector<CpuInfoBlock>& blocks,
                                                   std::optional<unsigned> cpu = std::nullopt);

// Physical cores by cpuinfo alone: distinct ("physical id", "core id") pairs when every
// processor has both (core ids repeat across packages), else the sum of "cpu cores" over
// distinct physical ids. Processor blocks alone are not counted: where the ids are missing
// (PowerPC, RISC-V) a block is a hardware thread. 0 when cpuinfo cannot tell, a count beyond
// 32 bits included.
unsigned physicalCoresFromCpuInfo(const std::vector<CpuInfoBlock>& blocks);

}  // namespace platform::linux_backend
