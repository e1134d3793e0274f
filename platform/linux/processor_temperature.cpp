#include "platform/linux/processor_temperature.h"

#include <algorithm>
#include <array>

namespace platform::linux_backend {
namespace {

enum class Source { kHwmon, kThermalZone };
enum class LabelMatch { kExact, kPrefix, kAny };

// How many of a chip's inputs a rule takes: the one that fits (labels are unique within a
// chip, and coretemp has one chip a package), or the hottest of all that fit.
enum class Inputs { kFirst, kHottest };

struct TemperatureRule {
    Source source;
    std::string_view chip;
    std::string_view label;
    LabelMatch match;
    Inputs inputs;
};

constexpr std::array<TemperatureRule, 11> kRules = {{
    {Source::kHwmon, "coretemp", "Package id ", LabelMatch::kPrefix, Inputs::kFirst},
    {Source::kHwmon, "coretemp", "Core ", LabelMatch::kPrefix, Inputs::kHottest},
    // Tctl is Tdie plus an offset on some parts, for the fan curve; Tdie is the real one.
    {Source::kHwmon, "k10temp", "Tdie", LabelMatch::kExact, Inputs::kFirst},
    {Source::kHwmon, "k10temp", "Tctl", LabelMatch::kExact, Inputs::kFirst},
    {Source::kHwmon, "zenpower", "Tdie", LabelMatch::kExact, Inputs::kFirst},
    // applesmc labels each temperature with its SMC key: TC0D is the die, TC0P, TC0E, TC0F
    // and the like sit on or next to it on models without TC0D.
    {Source::kHwmon, "applesmc", "TC0D", LabelMatch::kExact, Inputs::kFirst},
    {Source::kHwmon, "applesmc", "TC0", LabelMatch::kPrefix, Inputs::kHottest},
    {Source::kHwmon, "cpu_thermal", "", LabelMatch::kAny, Inputs::kHottest},
    {Source::kHwmon, "soc_thermal", "", LabelMatch::kAny, Inputs::kHottest},
    {Source::kThermalZone, "x86_pkg_temp", "", LabelMatch::kAny, Inputs::kHottest},
    {Source::kThermalZone, "acpitz", "", LabelMatch::kAny, Inputs::kHottest},
}};

bool labelFits(const RootFiles& files, const TemperatureRule& rule, const SensorChip& chip,
               const SensorChannel& channel) {
    if (rule.match == LabelMatch::kAny) {
        return true;
    }
    const auto label = channel.labelled
                           ? files.read(channelFile(chip, "temp", channel.number, "label"))
                           : std::nullopt;
    if (!label) {
        return false;
    }
    return rule.match == LabelMatch::kExact ? *label == rule.label : label->starts_with(rule.label);
}

std::optional<std::int64_t> hottestFor(const RootFiles& files, const TemperatureRule& rule,
                                       const std::vector<SensorChip>& chips) {
    std::optional<std::int64_t> hottest;
    const auto consider = [&hottest](std::optional<std::int64_t> reading) {
        if (reading && (!hottest || *reading > *hottest)) {
            hottest = reading;
        }
    };
    for (const auto& chip : chips) {
        if (chip.name != rule.chip) {
            continue;
        }
        if (rule.source == Source::kThermalZone) {
            consider(readSensorValue(files, chip.directory + "/temp"));
            continue;
        }
        for (const auto& channel : findChannels(files, chip, "temp")) {
            if (!labelFits(files, rule, chip, channel)) {
                continue;
            }
            consider(readSensorValue(files, channelFile(chip, "temp", channel.number, "input")));
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
        if (rule.source == Source::kThermalZone && !zones) {
            zones = findThermalZones(files);
        }
        const auto& chips = rule.source == Source::kHwmon ? hwmonChips : *zones;
        if (const auto reading = hottestFor(files, rule, chips)) {
            return reading;
        }
    }
    return std::nullopt;
}

bool isProcessorTemperatureSource(std::string_view chipName) {
    return std::ranges::any_of(
        kRules, [chipName](const TemperatureRule& rule) { return rule.chip == chipName; });
}

}  // namespace platform::linux_backend
