#include "platform/linux/fan_speeds.h"

#include <algorithm>
#include <array>
#include <limits>
#include <optional>
#include <string>
#include <tuple>

namespace platform::linux_backend {
namespace {

template <std::size_t N>
bool startsWithAnyOf(std::string_view name, const std::array<std::string_view, N>& prefixes) {
    return std::ranges::any_of(
        prefixes, [name](std::string_view prefix) { return name.starts_with(prefix); });
}

// Graphics cards (Documentation/gpu/amdgpu, nouveau, i915, xe) cool themselves, and power
// supplies (corsair-psu and the PMBus supplies of Documentation/hwmon) cool the supply: neither
// fan is the machine's.
constexpr std::array<std::string_view, 5> kGraphicsCards = {"amdgpu", "radeon", "nouveau", "i915",
                                                            "xe"};
constexpr std::array<std::string_view, 9> kPowerSupplyPrefixes = {
    "corsairpsu", "bpa-rs600", "bpd-rs600",    "dps920ab",    "ibm_cffps",
    "ipsps1",     "fsp3y",     "inspur_ipsps", "acbel_fsg032"};

// Mainboard monitoring chips: the Super-I/O chips (nct6775 and its kin nct6795, nct6798,
// nct6683, nct6687; nct7802, nct7904; it87, which names each chip: it8628, it8728, ...;
// f71882fg, whose chips are f71xxx and f81xxx; w83627ehf and the other Winbond chips; SMSC and
// National parts) and the fan controllers boards carry (adt747x, lm85, lm93, emc2xxx,
// max31790, max6639, amc6821). They have an input for every header, connected or not.
constexpr std::array<std::string_view, 19> kBoardChipPrefixes = {
    "nct6", "nct7",   "it8",  "f71",  "f8",   "w83",  "sch56",    "sch311",  "smsc47", "dme1737",
    "pc87", "vt1211", "adt7", "lm85", "lm93", "emc2", "max31790", "max6639", "amc6821"};

bool isBoardChip(std::string_view chipName) {
    return startsWithAnyOf(chipName, kBoardChipPrefixes);
}

bool isDellSmm(std::string_view chipName) {
    return chipName == "dell_smm";
}

// Drivers that read tachometers another driver reads too. asus_wmi_sensors and asus_ec_sensors
// read the board's headers through the firmware, which the board's Super-I/O chip reads
// directly; dell_ddv (WMI, Linux 6.3 on) repeats the fans of dell_smm. Each counts only where
// the other driver is there with fans of its own.
struct SecondView {
    std::string_view name;
    bool (*isFirstView)(std::string_view chipName);
};
constexpr std::array<SecondView, 3> kSecondViews = {{
    {"asus_wmi_sensors", isBoardChip},
    {"asus_ec_sensors", isBoardChip},
    {"dell_ddv", isDellSmm},
}};

bool isSecondViewBeside(const RootFiles& files, std::string_view chipName,
                        const std::vector<const SensorChip*>& chips) {
    const auto firstViewHasFans = [&files](const SecondView& view, const SensorChip* chip) {
        return view.isFirstView(chip->name) && !findChannels(files, *chip, "fan").empty();
    };
    return std::ranges::any_of(kSecondViews, [&](const SecondView& view) {
        return chipName == view.name && std::ranges::any_of(chips, [&](const SensorChip* chip) {
                   return firstViewHasFans(view, chip);
               });
    });
}

struct FanChip {
    const SensorChip* chip;
    std::string devicePath;
};

}  // namespace

std::vector<std::optional<std::uint32_t>> readFanSpeeds(const RootFiles& files,
                                                        const std::vector<SensorChip>& hwmonChips) {
    std::vector<const SensorChip*> machineChips;
    for (const auto& chip : hwmonChips) {
        if (coolsTheMachine(chip.name)) {
            machineChips.push_back(&chip);
        }
    }
    std::vector<FanChip> fanChips;
    for (const SensorChip* chip : machineChips) {
        if (!isSecondViewBeside(files, chip->name, machineChips)) {
            fanChips.push_back({chip, {}});
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

    std::vector<std::optional<std::uint32_t>> speeds;
    for (const auto& [chip, devicePath] : fanChips) {
        const bool hasEmptyHeaders = isBoardChip(chip->name);
        for (const auto& channel : findChannels(files, *chip, "fan")) {
            const auto rpm = readSensorValue(files, channelFile(channel, "fan", "input"));
            if (rpm && *rpm <= 0 && hasEmptyHeaders && !channel.labelled) {
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

bool coolsTheMachine(std::string_view chipName) {
    return std::ranges::find(kGraphicsCards, chipName) == kGraphicsCards.end() &&
           !startsWithAnyOf(chipName, kPowerSupplyPrefixes);
}

}  // namespace platform::linux_backend
