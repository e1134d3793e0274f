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
// They are the fanN_input of chips that drive the machine's fans: applesmc, thinkpad, dell_smm,
// cros_ec (Chromebooks, Framework laptops), pwmfan (single-board computers), the ASUS drivers,
// and the Super-I/O chips of mainboards (nct67xx, nct7xxx, it87xx, Fintek, Winbond, SMSC).
// Graphics cards and power supplies are left out: their fans are not the machine's.
// - A fan that has an input counts, whether or not it reads now, so that every query of one
//   machine numbers the fans alike; on a Super-I/O chip an unlabelled input that reads 0 is an
//   empty header and does not count.
// - asus_wmi_sensors and asus_ec_sensors read the board's headers through the firmware; where the
//   board's Super-I/O chip reads them too, its fans are counted and theirs are not, so each
//   physical fan counts once.
// - The order is stable from boot to boot: chips by name, then by device path, then fans by
//   number.
std::vector<std::optional<std::uint32_t>> readFanSpeeds(const RootFiles& files,
                                                        const std::vector<SensorChip>& hwmonChips);

// Whether a hwmon device of this name is one of the fan chips above.
bool isFanChip(std::string_view chipName);

}  // namespace platform::linux_backend
