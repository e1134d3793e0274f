#include "platform/linux/sensor_chips.h"

#include <algorithm>
#include <set>

#include "platform/linux/text_fields.h"

namespace platform::linux_backend {
namespace {

constexpr std::string_view kHwmonClass = "/sys/class/hwmon";
constexpr std::string_view kThermalClass = "/sys/class/thermal";

// The paths of the entries named `prefix` and a number, such as hwmon3, in the order of the
// number (a directory lists them in no order, and "hwmon10" sorts before "hwmon2" as text).
std::vector<std::string> numberedEntries(const RootFiles& files, std::string_view directory,
                                         std::string_view prefix) {
    std::vector<std::pair<std::uint64_t, std::string>> entries;
    for (auto& name : files.list(directory)) {
        if (!name.starts_with(prefix)) {
            continue;
        }
        if (const auto number = parseUnsigned(std::string_view(name).substr(prefix.size()))) {
            entries.emplace_back(*number, std::string(directory) + "/" + name);
        }
    }
    std::ranges::sort(entries);
    std::vector<std::string> paths;
    for (auto& [number, path] : entries) {
        paths.push_back(std::move(path));
    }
    return paths;
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
    constexpr std::uint64_t kMostChannels = 0xFFFF;  // far above any chip's inputs
    return number && *number <= kMostChannels
               ? std::optional<unsigned>(static_cast<unsigned>(*number))
               : std::nullopt;
}

}  // namespace

std::vector<SensorChip> findHwmonChips(const RootFiles& files) {
    std::vector<SensorChip> chips;
    for (auto& classPath : numberedEntries(files, kHwmonClass, "hwmon")) {
        // Drivers registered through the old hwmon_device_register() have no name in hwmonN;
        // they keep it on their own device.
        auto name = files.read(classPath + "/name");
        if (!name) {
            name = files.read(classPath + "/device/name");
        }
        if (name) {
            chips.push_back({std::move(*name), std::move(classPath)});
        }
    }
    return chips;
}

std::vector<SensorChip> findThermalZones(const RootFiles& files) {
    std::vector<SensorChip> zones;
    for (auto& classPath : numberedEntries(files, kThermalClass, "thermal_zone")) {
        if (auto type = files.read(classPath + "/type")) {
            zones.push_back({std::move(*type), std::move(classPath)});
        }
    }
    return zones;
}

std::vector<SensorChannel> findChannels(const RootFiles& files, const SensorChip& chip,
                                        std::string_view kind) {
    std::vector<SensorChannel> channels;
    for (std::string directory : {chip.classPath, chip.classPath + "/device"}) {
        std::set<unsigned> inputs;
        std::set<unsigned> labels;
        for (const auto& file : files.list(directory)) {
            if (const auto number = channelNumber(file, kind, "_input")) {
                inputs.insert(*number);
            } else if (const auto labelled = channelNumber(file, kind, "_label")) {
                labels.insert(*labelled);
            }
        }
        for (const unsigned number : inputs) {
            channels.push_back({number, labels.contains(number), directory});
        }
        if (!channels.empty()) {
            break;
        }
    }
    return channels;
}

std::string channelFile(const SensorChannel& channel, std::string_view kind,
                        std::string_view suffix) {
    return channel.directory + "/" + std::string(kind) + std::to_string(channel.number) + "_" +
           std::string(suffix);
}

std::optional<std::int64_t> readSensorValue(const RootFiles& files, std::string_view path) {
    const auto text = files.read(path);
    return text ? parseSigned(*text) : std::nullopt;
}

}  // namespace platform::linux_backend
