#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/linux/root_files.h"
#include "platform/linux/sensor_chips.h"

namespace platform::linux_backend {

// The machine's own fans, each with its speed in rpm now, or std::nullopt for a fan whose
// reading failed this time (EIO, EAGAIN, ENODATA: Documentation/hwmon/sysfs-interface.rst).
// They are the fanN_input of every hwmon device, whatever its driver (applesmc, thinkpad,
// dell_smm, cros_ec, eeepc, pwmfan, the Super-I/O chips of mainboards, and drivers written
// after this), but for those that are not the machine's own fans or repeat another's:
// - graphics cards and power supplies are left out (coolsTheMachine);
// - asus_wmi_sensors and asus_ec_sensors beside a Super-I/O chip, and dell_ddv beside
//   dell_smm, read the same tachometers as that chip, so where the chip has fans only its fans
//   count and each physical fan counts once;
// - a fan that has an input counts, whether or not it reads now, so that every query of one
//   machine numbers the fans alike; on a mainboard's Super-I/O chip or fan controller an
//   unlabelled input that reads 0 is an empty header and does not count (a laptop's fan at
//   rest reads 0 too, and does count).
// The order is stable from boot to boot: chips by name, then by device path, then fans by
// number.
std::vector<std::optional<std::uint32_t>> readFanSpeeds(const RootFiles& files,
                                                        const std::vector<SensorChip>& hwmonChips);

// Whether the fans of a hwmon device of this name may be the machine's: false for graphics
// cards and power supplies.
bool coolsTheMachine(std::string_view chipName);

}  // namespace platform::linux_backend
