#include "platform/linux/sensor_chips.h"

#include <set>

#include "platform/linux/text_fields.h"

namespace platform::linux_backend {
namespace {

constexpr std::string_view kHwmonClass = "/sys/class/hwmon";
constexpr std::string_view kThermalClass = "/sys/class/thermal";

std::vector<std::string> entriesStartingWith(const RootFiles& files, std::string_view directory,
                                             std::string_view prefix) {
    std::vector<std::string> entries;
    for (auto& name : files.list(directory)) {
        if (name.starts_with(prefix)) {
            entries.push_back(std::string(directory) + "/" + name);
        }
    }
    return entries;
}

// The number of "tempN_input" for kind "temp" and suffix "_input"; std::nullopt otherwise.
std::optional<unsigned> channelNumber(std::string_view file, std::string_view kind,
                                      std::string_view suffix) {
    if (!file.starts_with(kind) || !file.ends_with(suffix)) {
        return std::nullopt;
    }
    file.remove_prefix(kind.size());
    file.remove_suffix(suffix.size());
    const auto number = parseUnsigned(file);
    return number ? std::optional<unsigned>(static_cast<unsigned>(*number)) : std::nullopt;
}

}  // namespace

std::vector<SensorChip> findHwmonChips(const RootFiles& files) {
    std::vector<SensorChip> chips;
    for (auto& classPath : entriesStartingWith(files, kHwmonClass, "hwmon")) {
        // Drivers registered through the old hwmon_device_register() have neither a name nor
        // readings in hwmonN; they keep both on their own device.
        for (std::string directory : {classPath, classPath + "/device"}) {
            if (auto name = files.read(directory + "/name")) {
                chips.push_back({std::move(*name), classPath, std::move(directory)});
                break;
            }
        }
    }
    return chips;
}

std::vector<SensorChip> findThermalZones(const RootFiles& files) {
    std::vector<SensorChip> zones;
    for (auto& classPath : entriesStartingWith(files, kThermalClass, "thermal_zone")) {
        if (auto type = files.read(classPath + "/type")) {
            zones.push_back({std::move(*type), classPath, classPath});
        }
    }
    return zones;
}

std::vector<SensorChannel> findChannels(const RootFiles& files, const SensorChip& chip,
                                        std::string_view kind) {
    std::set<unsigned> inputs;
    std::set<unsigned> labels;
    for (const auto& file : files.list(chip.directory)) {
        if (const auto number = channelNumber(file, kind, "_input")) {
            inputs.insert(*number);
        } else if (const auto labelled = channelNumber(file, kind, "_label")) {
            labels.insert(*labelled);
        }
    }
    std::vector<SensorChannel> channels;
    for (const unsigned number : inputs) {
        channels.push_back({number, labels.contains(number)});
    }
    return channels;
}

std::string channelFile(const SensorChip& chip, std::string_view kind, unsigned number,
                        std::string_view suffix) {
    return chip.directory + "/" + std::string(kind) + std::to_string(number) + "_" +
           std::string(suffix);
}

std::optional<std::int64_t> readSensorValue(const RootFiles& files, std::string_view path) {
    const auto text = files.read(path);
    return text ? parseSigned(*text) : std::nullopt;
}

}  // namespace platform::linux_backend
