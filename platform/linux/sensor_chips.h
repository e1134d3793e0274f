#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/root_files.h"

// The machine's sensor devices: hardware-monitoring chips (Documentation/hwmon/sysfs-interface
// .rst) and thermal zones (Documentation/driver-api/thermal/sysfs-api.rst).
namespace platform::linux_backend {

// One hwmon device or thermal zone.
struct SensorChip {
    // The driver's name for it: hwmon "name" ("coretemp", "nct6798"), or a thermal zone's
    // "type" ("x86_pkg_temp", "acpitz").
    std::string name;
    // Where it is listed: /sys/class/hwmon/hwmonN or /sys/class/thermal/thermal_zoneN.
    std::string classPath;
};

// The hwmon devices, found by their name (hwmonN numbers change from boot to boot; the name is
// in hwmonN, or in hwmonN/device for drivers registered the old way), in the order of N.
std::vector<SensorChip> findHwmonChips(const RootFiles& files);

// The thermal zones, named by their type, in the order of their number.
std::vector<SensorChip> findThermalZones(const RootFiles& files);

// One numbered input of a chip, such as temp2 or fan1.
struct SensorChannel {
    unsigned number;
    bool labelled;          // it has a tempN_label or fanN_label
    std::string directory;  // where its files are
};

// The chip's channels of `kind` ("temp" or "fan") that have an input file, by number. They are
// in hwmonN itself, or where it has none of that kind in hwmonN/device: drivers of older kernels
// (thinkpad_acpi on 4.x) keep the name in hwmonN but the readings on the parent device.
std::vector<SensorChannel> findChannels(const RootFiles& files, const SensorChip& chip,
                                        std::string_view kind);

// The path of a channel's file, such as ".../temp2_input" for kind "temp" and suffix "input".
std::string channelFile(const SensorChannel& channel, std::string_view kind,
                        std::string_view suffix);

// A sensor's integer reading; std::nullopt when the file is missing, has no value now (EIO,
// ENODATA and EAGAIN from a sensor that is asleep or unplugged) or is not a number.
std::optional<std::int64_t> readSensorValue(const RootFiles& files, std::string_view path);

}  // namespace platform::linux_backend
