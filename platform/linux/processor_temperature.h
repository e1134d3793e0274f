#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/linux/root_files.h"
#include "platform/linux/sensor_chips.h"

namespace platform::linux_backend {

// The processor package temperature in millidegrees Celsius, from the first source in this
// order that reads (Documentation/hwmon/coretemp.rst, k10temp.rst, applesmc):
// coretemp "Package id N", else its hottest "Core N"; k10temp "Tdie", else "Tctl"; zenpower
// "Tdie"; applesmc "TC0D", else its hottest other "TC0" key; the ARM SoC's cpu_thermal or
// soc_thermal; the x86_pkg_temp thermal zone; acpitz last, as it is a board sensor near the
// processor rather than in it. Where several chips or inputs fit, the hottest wins.
// `hwmonChips` are the machine's hwmon devices; thermal zones are only looked at when no hwmon
// source reads. std::nullopt when no source reads.
std::optional<std::int64_t> readProcessorTemperature(const RootFiles& files,
                                                     const std::vector<SensorChip>& hwmonChips);

// Whether a hwmon device or thermal zone of this name is one of the sources above.
bool isProcessorTemperatureSource(std::string_view chipName);

}  // namespace platform::linux_backend
