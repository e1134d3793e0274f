#pragma once

#include <optional>
#include <string>

#include "platform/linux/root_files.h"

// Which machine this is, from the firmware's tables: DMI on PCs (/sys/class/dmi/id) and the
// device tree on ARM boards. Values come trimmed of the blanks firmware pads them with, and
// firmware placeholders count as absent.
namespace platform::linux_backend {

// Whether the machine describes itself at all: it has DMI or a device tree.
bool hasPlatformDescription(const RootFiles& files);

// The model identifier: DMI product_name, else product_version, else board_vendor and
// board_name (the board is the model of a self-built desktop), else the device tree's model.
std::optional<std::string> modelIdentifier(const RootFiles& files);

// The serial number as the firmware's files give it to this user, or why they give none.
struct FirmwareSerial {
    std::optional<std::string> serial;
    // Without a serial: a DMI serial file is there but this user may not read it (the kernel
    // makes them mode 0400, drivers/firmware/dmi-id.c).
    bool withheld = false;
};

// The serial number: DMI product_serial, chassis_serial, board_serial, else the device tree's
// serial-number. The DMI files are readable by root only on mainline kernels; for anyone else
// there is no serial number, and it is withheld.
FirmwareSerial firmwareSerialNumber(const RootFiles& files);
inline std::optional<std::string> platformSerialNumber(const RootFiles& files) {
    return firmwareSerialNumber(files).serial;
}

// The platform UUID, DMI product_uuid (lower case, 36 characters); root-only like the serial.
std::optional<std::string> platformUuid(const RootFiles& files);

}  // namespace platform::linux_backend
