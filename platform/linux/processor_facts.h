#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/cpuinfo.h"
#include "platform/linux/root_files.h"

namespace platform::linux_backend {

// The processor as the machine below a root describes it. Each object reads a file at most once,
// when a fact first needs it, and keeps what it read: /proc/cpuinfo is read and parsed once for
// all three facts. Make a new one for fresh readings. `files` must outlive it.
//
// The lead CPU is the one whose cores describe the processor: among the online CPUs that have
// cpufreq, the first with the highest cpuinfo_max_freq. On big.LITTLE machines each cluster has
// its own cpufreq policy, and this picks the big cores; elsewhere it is the first online CPU
// with cpufreq (cpu0 may be offline or lack it). Without cpufreq it is the first online CPU.
class ProcessorFacts {
  public:
    explicit ProcessorFacts(const RootFiles& files);
    ProcessorFacts(const ProcessorFacts&) = delete;
    ProcessorFacts& operator=(const ProcessorFacts&) = delete;

    // The lead CPU's name in cpuinfo (cpuinfo.h), else the first CPU's "compatible" in the device
    // tree (such as "arm,cortex-a72"). std::nullopt when neither says.
    std::optional<std::string> brand();

    // The rated clock (nominal, not turbo) in hertz, from the first source that has it
    // (Documentation/ABI/testing/sysfs-devices-system-cpu, admin-guide/pm/intel_pstate.rst):
    // 1. the "@ 2.30GHz" of the brand, which is the part's rating, where intel_pstate's
    //    base_frequency follows the configured TDP instead;
    // 2. the lead CPU's cpufreq/base_frequency (kHz; intel_pstate with HWP);
    // 3. its acpi_cppc/nominal_freq (MHz);
    // 4. its cpufreq/cpuinfo_max_freq (kHz; the turbo clock under intel_pstate without HWP,
    //    base + 1 MHz under acpi-cpufreq, so only for names that carry no clock);
    // 5. cpuinfo's clock (cpuinfo.h).
    // Never scaling_max_freq, a user's limit. A value of 0, or one that overflows in hertz, is
    // not there. std::nullopt when no source has one.
    std::optional<std::uint64_t> nominalClockHertz();

    // The number of physical cores over the online CPUs (those of cpu/online; where that file
    // is missing, on old kernels and in partial captures, the cpuN directories but those whose
    // cpuN/online says "0"), from the first source that tells:
    // 1. distinct topology/core_cpus_list (thread_siblings_list before Linux 5.3; the masks
    //    core_cpus and thread_siblings where no list is there);
    // 2. distinct (physical_package_id, die_id, core_id), as core_id repeats across packages;
    // 3. cpuinfo's ids or "cpu cores" (cpuinfo.h);
    // 4. the number of online CPUs.
    // std::nullopt when none does.
    std::optional<std::uint32_t> physicalCores();

  private:
    const std::vector<CpuInfoBlock>& cpuInfo();
    const std::vector<unsigned>& onlineCpus();
    std::vector<unsigned> cpusFromDirectories() const;
    std::optional<std::vector<unsigned>> siblingsOf(unsigned cpu) const;
    unsigned leadCpu();
    std::optional<std::uint64_t> leadCpuHertz(std::string_view file, std::uint64_t hertzPerUnit);
    std::optional<std::uint32_t> coresFromSiblingLists();
    std::optional<std::uint32_t> coresFromTopologyIds();

    const RootFiles& files_;
    std::optional<std::string> cpuInfoText_;
    std::optional<std::vector<CpuInfoBlock>> cpuInfo_;  // views into cpuInfoText_
    std::optional<std::vector<unsigned>> onlineCpus_;
    std::optional<unsigned> leadCpu_;
};

}  // namespace platform::linux_backend
