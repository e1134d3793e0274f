#include "platform/linux/fan_speeds.h"

#include <algorithm>
#include <array>
#include <limits>
#include <optional>
#include <string>
#include <tuple>

namespace platform::linux_backend {
namespace {

enum class FanChipRole {
    kOwn,         // the only reader of its fans
    kSuperIo,     // a mainboard chip, with inputs for every header, connected or not
    kBoardShadow  // the board firmware's view of the Super-I/O chip's headers
};

struct FanChipKind {
    std::string_view namePrefix;
    FanChipRole role;
};

// Longer prefixes first, where one begins another.
constexpr std::array<FanChipKind, 14> kFanChips = {{
    {"applesmc", FanChipRole::kOwn},
    {"thinkpad", FanChipRole::kOwn},
    {"dell_smm", FanChipRole::kOwn},
    {"cros_ec", FanChipRole::kOwn},
    {"pwmfan", FanChipRole::kOwn},
    {"asus_wmi_sensors", FanChipRole::kBoardShadow},
    {"asus_ec_sensors", FanChipRole::kBoardShadow},
    {"asus", FanChipRole::kOwn},      // asus-wmi on laptops
    {"nct6", FanChipRole::kSuperIo},  // nct6775 and its kin: nct6795, nct6798, nct6683, nct6687
    {"nct7", FanChipRole::kSuperIo},  // nct7802, nct7904
    {"it8", FanChipRole::kSuperIo},   // it87 names each chip: it8628, it8728, ...
    {"f71", FanChipRole::kSuperIo},
    {"w83", FanChipRole::kSuperIo},
    {"sch56", FanChipRole::kSuperIo},
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

std::vector<std::optional<std::uint32_t>> readFanSpeeds(const RootFiles& files,
                                                        const std::vector<SensorChip>& hwmonChips) {
    std::vector<FanChip> fanChips;
    for (const auto& chip : hwmonChips) {
        if (const auto kind = fanChipKind(chip.name)) {
            fanChips.push_back({&chip, *kind, {}});
        }
    }
    const auto isSuperIo = [](const FanChip& fanChip) {
        return fanChip.kind.role == FanChipRole::kSuperIo;
    };
    if (std::ranges::any_of(fanChips, isSuperIo)) {
        std::erase_if(fanChips, [](const FanChip& fanChip) {
            return fanChip.kind.role == FanChipRole::kBoardShadow;
        });
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

    std::vector<std::optional<std::uint32_t>> speeds;
    for (const auto& [chip, kind, devicePath] : fanChips) {
        for (const auto& channel : findChannels(files, *chip, "fan")) {
            const auto rpm = readSensorValue(files, channelFile(channel, "fan", "input"));
            if (rpm && *rpm <= 0 && kind.role == FanChipRole::kSuperIo && !channel.labelled) {
                continue;
            }
            speeds.push_back(
                rpm ? std::optional(static_cast<std::uint32_t>(std::clamp<std::int64_t>(
                          *rpm, 0, std::numeric_limits<std::uint32_t>::max())))
                    : std::nullopt);
        }
    }
    return speeds;
}

bool isFanChip(std::string_view chipName) {
    return fanChipKind(chipName).has_value();
}

}  // namespace platform::linux_backend
