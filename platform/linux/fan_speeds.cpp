#include "platform/linux/fan_speeds.h"

#include <algorithm>
#include <array>
#include <limits>
#include <optional>
#include <string>
#include <tuple>

namespace platform::linux_backend {
namespace {

struct FanChipKind {
    std::string_view namePrefix;
    // Mainboard chips have inputs for every header, connected or not.
    bool hasEmptyHeaders;
};

constexpr std::array<FanChipKind, 8> kFanChips = {{
    {"applesmc", false},
    {"thinkpad", false},
    {"dell_smm", false},
    {"asus", false},
    {"nct6", true},  // nct6775 and its kin, nct6683, nct6687
    {"it8", true},   // it87 names each chip: it8628, it8728, ...
    {"f71", true},
    {"w83", true},
}};

std::optional<FanChipKind> fanChipKind(std::string_view chipName) {
    for (const auto& kind : kFanChips) {
        if (chipName.starts_with(kind.namePrefix)) {
            return kind;
        }
    }
    return std::nullopt;
}

struct FanChip {
    const SensorChip* chip;
    FanChipKind kind;
    std::string devicePath;
};

}  // namespace

std::vector<std::uint32_t> readFanSpeeds(const RootFiles& files,
                                         const std::vector<SensorChip>& hwmonChips) {
    std::vector<FanChip> fanChips;
    for (const auto& chip : hwmonChips) {
        if (const auto kind = fanChipKind(chip.name)) {
            fanChips.push_back({&chip, *kind, {}});
        }
    }
    for (auto& fanChip : fanChips) {
        // Chips of one name keep the order of their devices: /sys/class/hwmon/hwmonN links to
        // the device's place under /sys/devices, which unlike N stays the same across boots.
        const auto sameName = [&fanChip](const FanChip& other) {
            return other.chip->name == fanChip.chip->name;
        };
        if (std::ranges::count_if(fanChips, sameName) > 1) {
            fanChip.devicePath =
                files.linkTarget(fanChip.chip->classPath).value_or(fanChip.chip->classPath);
        }
    }
    std::ranges::sort(fanChips, [](const FanChip& a, const FanChip& b) {
        return std::tie(a.chip->name, a.devicePath) < std::tie(b.chip->name, b.devicePath);
    });

    std::vector<std::uint32_t> speeds;
    for (const auto& [chip, kind, devicePath] : fanChips) {
        for (const auto& channel : findChannels(files, *chip, "fan")) {
            const auto rpm =
                readSensorValue(files, channelFile(*chip, "fan", channel.number, "input"));
            if (!rpm || (*rpm <= 0 && kind.hasEmptyHeaders && !channel.labelled)) {
                continue;
            }
            speeds.push_back(static_cast<std::uint32_t>(
                std::clamp<std::int64_t>(*rpm, 0, std::numeric_limits<std::uint32_t>::max())));
        }
    }
    return speeds;
}

bool isFanChip(std::string_view chipName) {
    return fanChipKind(chipName).has_value();
}

}  // namespace platform::linux_backend
