#include "platform/linux/processor_facts.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

#include "platform/linux/clock_text.h"
#include "platform/linux/cpu_list.h"
#include "platform/linux/cpuinfo.h"
#include "platform/linux/text_fields.h"

namespace platform::linux_backend {
namespace {

constexpr std::string_view kCpuInfo = "/proc/cpuinfo";
constexpr std::string_view kCpuDirectory = "/sys/devices/system/cpu/";
constexpr std::string_view kDeviceTreeCpus = "/sys/firmware/devicetree/base/cpus";

std::string cpuFile(unsigned cpu, std::string_view file) {
    return std::string(kCpuDirectory) + "cpu" + std::to_string(cpu) + "/" + std::string(file);
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

// The files that give the rated clock, first first, with their units.
struct ClockFile {
    std::string_view path;
    std::uint64_t hertzPerUnit;
};
constexpr std::uint64_t kKilohertz = 1000;
constexpr std::uint64_t kMegahertz = 1000 * 1000;
constexpr std::array<ClockFile, 3> kClockFiles = {{
    {"cpu0/cpufreq/base_frequency", kKilohertz},  // intel_pstate
    {"cpu0/acpi_cppc/nominal_freq", kMegahertz},
    {"cpu0/cpufreq/cpuinfo_max_freq", kKilohertz},
}};

std::optional<std::uint64_t> hertzFromFile(const RootFiles& files, const ClockFile& clock) {
    const auto text = files.read(std::string(kCpuDirectory) + std::string(clock.path));
    const auto value = text ? parseUnsigned(*text) : std::nullopt;
    if (!value || *value == 0) {
        return std::nullopt;
    }
    return *value * clock.hertzPerUnit;
}

std::optional<std::uint32_t> coresFromTopology(const RootFiles& files) {
    const auto onlineText = files.read(std::string(kCpuDirectory) + "online");
    const auto online = onlineText ? parseCpuList(*onlineText) : std::nullopt;
    if (!online || online->empty()) {
        return std::nullopt;
    }
    // The sibling lists partition the CPUs, so a CPU already named in one needs no read of its
    // own: this halves the reads on machines with two threads a core.
    std::vector<bool> counted(std::ranges::max(*online) + 1, false);
    std::uint32_t cores = 0;
    for (const unsigned cpu : *online) {
        if (counted[cpu]) {
            continue;
        }
        auto siblingsText = files.read(cpuFile(cpu, "topology/core_cpus_list"));
        if (!siblingsText) {
            siblingsText = files.read(cpuFile(cpu, "topology/thread_siblings_list"));
        }
        const auto siblings = siblingsText ? parseCpuList(*siblingsText) : std::nullopt;
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

}  // namespace

std::optional<std::string> processorBrand(const RootFiles& files) {
    if (const auto cpuinfo = files.read(kCpuInfo)) {
        if (auto name = processorNameFromCpuInfo(parseCpuInfo(*cpuinfo))) {
            return name;
        }
    }
    return firstCpuCompatible(files);
}

std::optional<std::uint64_t> nominalClockHertz(const RootFiles& files) {
    for (const auto& clock : kClockFiles) {
        if (auto hertz = hertzFromFile(files, clock)) {
            return hertz;
        }
    }
    const auto cpuinfo = files.read(kCpuInfo);
    if (!cpuinfo) {
        return std::nullopt;
    }
    const auto blocks = parseCpuInfo(*cpuinfo);
    if (const auto name = firstValue(blocks, "model name")) {
        if (auto hertz = hertzFromNameSuffix(*name)) {
            return hertz;
        }
    }
    const auto megahertz = firstValue(blocks, "cpu MHz");
    return megahertz ? hertzFromMegahertz(*megahertz) : std::nullopt;
}

std::optional<std::uint32_t> physicalCores(const RootFiles& files) {
    if (auto cores = coresFromTopology(files)) {
        return cores;
    }
    const auto cpuinfo = files.read(kCpuInfo);
    const unsigned cores = cpuinfo ? physicalCoresFromCpuInfo(parseCpuInfo(*cpuinfo)) : 0;
    return cores > 0 ? std::optional<std::uint32_t>(cores) : std::nullopt;
}

}  // namespace platform::linux_backend
