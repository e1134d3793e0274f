#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/linux/root_files.h"
#include "platform/linux/sensor_chips.h"

namespace platform::linux_backend {

// The speeds in rpm of the machine's own fans, read from the fanN_input of chips that drive
// them (applesmc, thinkpad, dell_smm, asus, and the Super-I/O chips of mainboards: nct67xx,
// it87xx, Fintek, Winbond). Graphics cards and power supplies are left out: their fans are
// not the machine's. A fan counts when it reads; on a Super-I/O chip, an input that reads 0
// with no label is an empty header and does not count. The order is stable from boot to
// boot: chips by name, then by device path, then fans by number.
std::vector<std::uint32_t> readFanSpeeds(const RootFiles& files,
                                         const std::vector<SensorChip>& hwmonChips);

// Whether a hwmon device of this name is one of the fan chips above.
bool isFanChip(std::string_view chipName);

}  // namespace platform::linux_backend
