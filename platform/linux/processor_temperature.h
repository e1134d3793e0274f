#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/linux/root_files.h"
#include "platform/linux/sensor_chips.h"

namespace platform::linux_backend {

// The processor temperature in millidegrees Celsius, from the first source in this order that
// reads (Documentation/hwmon/coretemp.rst, k10temp.rst, applesmc, and the thermal zones of
// Documentation/driver-api/thermal/sysfs-api.rst):
// 1. coretemp "Package id N" ("Physical id N" before Linux 3.x), else its hottest "Core N";
// 2. k10temp "Tdie", else "Tctl", else, on families 10h to 16h, its one unlabelled temp1;
// 3. zenpower "Tdie";
// 4. applesmc "TC0D", else its hottest other "TC0" key;
// 5. the ARM SoC's CPU zones ("cpu_thermal", "cpu0_thermal", "bigcore0_thermal", ...), then its
//    "soc_thermal": as a thermal zone or as the hwmon device the kernel makes of one, which turns
//    "-" into "_" in the name; types are spelt both ways, and many boards have the zone only;
// 6. the x86_pkg_temp thermal zone;
// 7. acpitz, last, as it is a board sensor near the processor rather than in it.
// On a machine with several packages each has its own source (one coretemp device or
// x86_pkg_temp zone per package, one k10temp per node): the hottest package is the one shown,
// as it is the one about to throttle, and a one-line summary must not hide it. The same holds
// for the cores of rule 1 and the zones of rule 5. Sources are looked at in the order of their
// hwmon and zone numbers. std::nullopt when no source reads.
std::optional<std::int64_t> readProcessorTemperature(const RootFiles& files,
                                                     const std::vector<SensorChip>& hwmonChips);

// Whether a hwmon device or thermal zone of this name is one of the sources above.
bool isProcessorTemperatureSource(std::string_view chipName);

}  // namespace platform::linux_backend
