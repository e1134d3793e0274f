#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/linux/root_files.h"

// The processor as the machine below a root describes it. Each call reads its files afresh.
namespace platform::linux_backend {

// The processor's brand name: cpuinfo's name for it, else the first CPU's "compatible" in the
// device tree (such as "arm,cortex-a72"). std::nullopt when neither says.
std::optional<std::string> processorBrand(const RootFiles& files);

// The rated (nominal, not turbo) clock of CPU 0 in hertz, from the first source that has it:
// cpufreq base_frequency (kHz), ACPI CPPC nominal_freq (MHz), cpufreq cpuinfo_max_freq (kHz),
// the "@ 2.30GHz" of the brand name, cpuinfo's "cpu MHz". Never scaling_max_freq, which is a
// user's limit, not the processor's. std::nullopt when no source is there.
std::optional<std::uint64_t> nominalClockHertz(const RootFiles& files);

// The number of physical cores: distinct sibling lists (topology/core_cpus_list, or
// thread_siblings_list on kernels before 5.3) over the online CPUs, else cpuinfo's count.
// std::nullopt when neither finds a processor.
std::optional<std::uint32_t> physicalCores(const RootFiles& files);

}  // namespace platform::linux_backend
