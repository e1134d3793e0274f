#include "platform/linux/processor_facts.h"

#include <algorithm>
#include <array>
#include <set>
#include <string_view>
#include <tuple>

#include "platform/linux/clock_text.h"
#include "platform/linux/cpu_list.h"
#include "platform/linux/text_fields.h"

namespace platform::linux_backend {
namespace {

constexpr std::string_view kCpuInfo = "/proc/cpuinfo";
constexpr std::string_view kCpuDirectory = "/sys/devices/system/cpu/";
constexpr std::string_view kDeviceTreeCpus = "/sys/firmware/devicetree/base/cpus";
constexpr std::uint64_t kKilohertz = 1000;
constexpr std::uint64_t kMegahertz = 1000 * 1000;

std::string cpuFile(unsigned cpu, std::string_view file) {
    return std::string(kCpuDirectory) + "cpu" + std::to_string(cpu) + "/" + std::string(file);
}

std::optional<std::uint64_t> numberIn(const RootFiles& files, const std::string& path) {
    const auto text = files.read(path);
    return text ? parseUnsigned(*text) : std::nullopt;
}

// The first string of a device-tree string list ("arm,cortex-a72\0arm,armv8").
std::optional<std::string> firstCpuCompatible(const RootFiles& files) {
    std::vector<std::string> nodes = files.list(kDeviceTreeCpus);
    std::ranges::sort(nodes);
    for (const auto& node : nodes) {
        if (!node.starts_with("cpu@")) {
            continue;
        }
        if (auto compatible =
                files.read(std::string(kDeviceTreeCpus) + "/" + node + "/compatible")) {
            compatible->resize(std::min(compatible->size(), compatible->find('\0')));
            return compatible;
        }
    }
    return std::nullopt;
}

}  // namespace

ProcessorFacts::ProcessorFacts(const RootFiles& files) : files_(files) {}

const std::vector<CpuInfoBlock>& ProcessorFacts::cpuInfo() {
    if (!cpuInfo_) {
        cpuInfoText_ = files_.read(kCpuInfo).value_or(std::string());
        cpuInfo_ = parseCpuInfo(*cpuInfoText_);
    }
    return *cpuInfo_;
}

const std::vector<unsigned>& ProcessorFacts::onlineCpus() {
    if (!onlineCpus_) {
        const auto text = files_.read(std::string(kCpuDirectory) + "online");
        onlineCpus_ = text ? parseCpuList(*text) : std::nullopt;
        if (!onlineCpus_) {
            onlineCpus_ = cpusFromDirectories();
        }
    }
    return *onlineCpus_;
}

std::vector<unsigned> ProcessorFacts::cpusFromDirectories() const {
    std::vector<unsigned> cpus;
    for (const auto& entry : files_.list(kCpuDirectory)) {
        constexpr std::string_view kPrefix = "cpu";
        // Not cpufreq, cpuidle, the online and possible lists, ...
        const auto cpu =
            entry.starts_with(kPrefix) && allDecimalDigits(entry.substr(kPrefix.size()))
                ? parseUnsigned(entry.substr(kPrefix.size()))
                : std::nullopt;
        // cpuN/online is "0" for a CPU taken offline; the boot CPU often has no such file.
        if (!cpu || *cpu >= kMostCpus ||
            files_.read(cpuFile(static_cast<unsigned>(*cpu), "online")) == "0") {
            continue;
        }
        cpus.push_back(static_cast<unsigned>(*cpu));
    }
    std::ranges::sort(cpus);
    return cpus;
}

unsigned ProcessorFacts::leadCpu() {
    if (!leadCpu_) {
        // Where no CPU is known, cpu0 is the one CPU every machine has.
        std::vector<unsigned> candidates = onlineCpus();
        if (candidates.empty()) {
            candidates.push_back(0);
        }
        std::optional<unsigned> lead;
        std::uint64_t fastest = 0;
        for (const unsigned cpu : candidates) {
            const auto maximum = numberIn(files_, cpuFile(cpu, "cpufreq/cpuinfo_max_freq"));
            if (maximum && (!lead || *maximum > fastest)) {
                lead = cpu;
                fastest = *maximum;
            }
        }
        leadCpu_ = lead.value_or(candidates.front());
    }
    return *leadCpu_;
}

std::optional<std::uint64_t> ProcessorFacts::leadCpuHertz(std::string_view file,
                                                          std::uint64_t hertzPerUnit) {
    const auto value = numberIn(files_, cpuFile(leadCpu(), file));
    std::uint64_t hertz = 0;
    if (!value || *value == 0 || __builtin_mul_overflow(*value, hertzPerUnit, &hertz)) {
        return std::nullopt;
    }
    return hertz;
}

std::optional<std::string> ProcessorFacts::brand() {
    if (auto name = processorNameFromCpuInfo(cpuInfo(), leadCpu())) {
        return name;
    }
    return firstCpuCompatible(files_);
}

std::optional<std::uint64_t> ProcessorFacts::nominalClockHertz() {
    // A device-tree name carries no clock, so cpuinfo's name is the one to look at.
    if (const auto name = processorNameFromCpuInfo(cpuInfo(), leadCpu())) {
        if (auto hertz = hertzFromNameSuffix(*name)) {
            return hertz;
        }
    }
    for (const auto& [file, hertzPerUnit] : {std::pair{"cpufreq/base_frequency", kKilohertz},
                                             std::pair{"acpi_cppc/nominal_freq", kMegahertz},
                                             std::pair{"cpufreq/cpuinfo_max_freq", kKilohertz}}) {
        if (auto hertz = leadCpuHertz(file, hertzPerUnit)) {
            return hertz;
        }
    }
    return clockHertzFromCpuInfo(cpuInfo(), leadCpu());
}

std::optional<std::vector<unsigned>> ProcessorFacts::siblingsOf(unsigned cpu) const {
    // core_cpus_list from Linux 5.3 on; thread_siblings_list before; the masks alone on the
    // oldest kernels (and in captures that kept only them).
    constexpr std::array<
        std::pair<std::string_view, std::optional<std::vector<unsigned>> (*)(std::string_view)>, 4>
        kSources = {{{"topology/core_cpus_list", parseCpuList},
                     {"topology/thread_siblings_list", parseCpuList},
                     {"topology/core_cpus", parseCpuMask},
                     {"topology/thread_siblings", parseCpuMask}}};
    for (const auto& [file, parse] : kSources) {
        if (const auto text = files_.read(cpuFile(cpu, file))) {
            return parse(*text);
        }
    }
    return std::nullopt;
}

std::optional<std::uint32_t> ProcessorFacts::coresFromSiblingLists() {
    const auto& online = onlineCpus();
    if (online.empty()) {
        return std::nullopt;
    }
    // The sibling lists partition the CPUs, so a CPU already named in one needs no read of its
    // own: this halves the reads on machines with two threads a core.
    std::vector<bool> counted(std::ranges::max(online) + 1, false);
    std::uint32_t cores = 0;
    for (const unsigned cpu : online) {
        if (counted[cpu]) {
            continue;
        }
        const auto siblings = siblingsOf(cpu);
        if (!siblings) {
            return std::nullopt;
        }
        counted[cpu] = true;
        for (const unsigned sibling : *siblings) {
            if (sibling < counted.size()) {
                counted[sibling] = true;
            }
        }
        ++cores;
    }
    return cores;
}

std::optional<std::uint32_t> ProcessorFacts::coresFromTopologyIds() {
    std::set<std::tuple<std::uint64_t, std::uint64_t, std::uint64_t>> cores;
    for (const unsigned cpu : onlineCpus()) {
        const auto package = numberIn(files_, cpuFile(cpu, "topology/physical_package_id"));
        const auto core = numberIn(files_, cpuFile(cpu, "topology/core_id"));
        if (!package || !core) {
            return std::nullopt;
        }
        // die_id exists from Linux 5.3 on; before, every package is one die.
        const auto die = numberIn(files_, cpuFile(cpu, "topology/die_id")).value_or(0);
        cores.emplace(*package, die, *core);
    }
    return cores.empty() ? std::nullopt
                         : std::optional<std::uint32_t>(static_cast<std::uint32_t>(cores.size()));
}

std::optional<std::uint32_t> ProcessorFacts::physicalCores() {
    if (auto cores = coresFromSiblingLists()) {
        return cores;
    }
    if (auto cores = coresFromTopologyIds()) {
        return cores;
    }
    if (const unsigned cores = physicalCoresFromCpuInfo(cpuInfo()); cores > 0) {
        return cores;
    }
    const auto online = static_cast<std::uint32_t>(onlineCpus().size());
    return online > 0 ? std::optional<std::uint32_t>(online) : std::nullopt;
}

}  // namespace platform::linux_backend
