#include "platform/linux/processor_temperature.h"

#include <algorithm>
#include <array>
#include <string>

namespace platform::linux_backend {
namespace {

enum class Source { kHwmon, kThermalZone, kEither };
enum class ChipMatch { kExact, kArmCpuZone, kArmSocZone };
enum class LabelMatch { kExact, kPrefix, kUnlabelled, kAny };

// How many of a chip's inputs a rule takes: the one that fits (labels are unique within a
// chip, and coretemp has one chip a package), or the hottest of all that fit.
enum class Inputs { kFirst, kHottest };

struct TemperatureRule {
    Source source;
    std::string_view chip;
    ChipMatch chipMatch;
    std::string_view label;
    LabelMatch match;
    Inputs inputs;
};

constexpr std::array<TemperatureRule, 13> kRules = {{
    {Source::kHwmon, "coretemp", ChipMatch::kExact, "Package id ", LabelMatch::kPrefix,
     Inputs::kFirst},
    {Source::kHwmon, "coretemp", ChipMatch::kExact, "Physical id ", LabelMatch::kPrefix,
     Inputs::kFirst},
    {Source::kHwmon, "coretemp", ChipMatch::kExact, "Core ", LabelMatch::kPrefix, Inputs::kHottest},
    // Tctl is Tdie plus an offset on some parts, for the fan curve; Tdie is the real one. Before
    // Zen (families 10h to 16h) k10temp has one input with no label: the processor's Tctl.
    {Source::kHwmon, "k10temp", ChipMatch::kExact, "Tdie", LabelMatch::kExact, Inputs::kFirst},
    {Source::kHwmon, "k10temp", ChipMatch::kExact, "Tctl", LabelMatch::kExact, Inputs::kFirst},
    {Source::kHwmon, "k10temp", ChipMatch::kExact, "", LabelMatch::kUnlabelled, Inputs::kFirst},
    {Source::kHwmon, "zenpower", ChipMatch::kExact, "Tdie", LabelMatch::kExact, Inputs::kFirst},
    // applesmc labels each temperature with its SMC key: TC0D is the die, TC0P, TC0E, TC0F
    // and the like sit on or next to it on models without TC0D.
    {Source::kHwmon, "applesmc", ChipMatch::kExact, "TC0D", LabelMatch::kExact, Inputs::kFirst},
    {Source::kHwmon, "applesmc", ChipMatch::kExact, "TC0", LabelMatch::kPrefix, Inputs::kHottest},
    {Source::kEither, "", ChipMatch::kArmCpuZone, "", LabelMatch::kAny, Inputs::kHottest},
    {Source::kEither, "", ChipMatch::kArmSocZone, "", LabelMatch::kAny, Inputs::kHottest},
    {Source::kThermalZone, "x86_pkg_temp", ChipMatch::kExact, "", LabelMatch::kAny,
     Inputs::kHottest},
    {Source::kThermalZone, "acpitz", ChipMatch::kExact, "", LabelMatch::kAny, Inputs::kHottest},
}};

// A thermal zone's type with "-" as "_", as the kernel names the zone's hwmon device
// (drivers/thermal/thermal_hwmon.c).
std::string hwmonSpelling(std::string_view name) {
    std::string spelt(name);
    std::ranges::replace(spelt, '-', '_');
    return spelt;
}

// The zones of a SoC's CPU clusters: "cpu_thermal" (Broadcom, Amlogic), "cpu0_thermal"
// (Allwinner, Qualcomm per core), "cpuss0_thermal", "bigcore0_thermal" and
// "littlecore_thermal" (Rockchip).
bool isArmCpuZone(std::string_view name) {
    const std::string spelt = hwmonSpelling(name);
    const std::string_view view = spelt;
    return view.ends_with("_thermal") && (view.starts_with("cpu") || view.starts_with("bigcore") ||
                                          view.starts_with("littlecore"));
}

bool chipFits(const TemperatureRule& rule, std::string_view chipName) {
    switch (rule.chipMatch) {
        case ChipMatch::kExact:
            return chipName == rule.chip;
        case ChipMatch::kArmCpuZone:
            return isArmCpuZone(chipName);
        case ChipMatch::kArmSocZone:
            return hwmonSpelling(chipName) == "soc_thermal";
    }
    return false;
}

bool labelFits(const RootFiles& files, const TemperatureRule& rule, const SensorChannel& channel) {
    if (rule.match == LabelMatch::kAny) {
        return true;
    }
    if (rule.match == LabelMatch::kUnlabelled) {
        return !channel.labelled;
    }
    const auto label =
        channel.labelled ? files.read(channelFile(channel, "temp", "label")) : std::nullopt;
    if (!label) {
        return false;
    }
    return rule.match == LabelMatch::kExact ? *label == rule.label : label->starts_with(rule.label);
}

std::optional<std::int64_t> hottestFor(const RootFiles& files, const TemperatureRule& rule,
                                       const std::vector<SensorChip>& chips, Source source) {
    std::optional<std::int64_t> hottest;
    const auto consider = [&hottest](std::optional<std::int64_t> reading) {
        if (reading && (!hottest || *reading > *hottest)) {
            hottest = reading;
        }
    };
    for (const auto& chip : chips) {
        if (!chipFits(rule, chip.name)) {
            continue;
        }
        if (source == Source::kThermalZone) {
            consider(readSensorValue(files, chip.classPath + "/temp"));
            continue;
        }
        for (const auto& channel : findChannels(files, chip, "temp")) {
            if (!labelFits(files, rule, channel)) {
                continue;
            }
            consider(readSensorValue(files, channelFile(channel, "temp", "input")));
            if (rule.inputs == Inputs::kFirst) {
                break;
            }
        }
    }
    return hottest;
}

}  // namespace

std::optional<std::int64_t> readProcessorTemperature(const RootFiles& files,
                                                     const std::vector<SensorChip>& hwmonChips) {
    std::optional<std::vector<SensorChip>> zones;
    for (const auto& rule : kRules) {
        std::optional<std::int64_t> reading;
        if (rule.source != Source::kThermalZone) {
            reading = hottestFor(files, rule, hwmonChips, Source::kHwmon);
        }
        if (!reading && rule.source != Source::kHwmon) {
            if (!zones) {
                zones = findThermalZones(files);
            }
            reading = hottestFor(files, rule, *zones, Source::kThermalZone);
        }
        if (reading) {
            return reading;
        }
    }
    return std::nullopt;
}

bool isProcessorTemperatureSource(std::string_view chipName) {
    return std::ranges::any_of(
        kRules, [chipName](const TemperatureRule& rule) { return chipFits(rule, chipName); });
}

}  // namespace platform::linux_backend
