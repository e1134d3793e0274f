#include "platform/linux/platform_identity.h"

#include <initializer_list>
#include <string_view>

#include "platform/linux/firmware_placeholder.h"
#include "platform/linux/text_fields.h"

namespace platform::linux_backend {
namespace {

constexpr std::string_view kDmi = "/sys/class/dmi/id";
constexpr std::string_view kDeviceTree = "/sys/firmware/devicetree/base";
const std::initializer_list<std::string_view> kDmiSerials = {"product_serial", "chassis_serial",
                                                             "board_serial"};

// The firmware's value in `contents`: std::nullopt for no text or a placeholder.
std::optional<std::string> firmwareValue(const FileContents& contents) {
    // Firmware pads its fixed-width DMI strings with blanks on either side.
    const std::string_view value = contents.text ? trimmed(*contents.text) : std::string_view();
    if (!contents.text || isFirmwarePlaceholder(value)) {
        return std::nullopt;
    }
    return std::string(value);
}

std::optional<std::string> firmwareValue(const RootFiles& files, std::string_view directory,
                                         std::string_view name) {
    return firmwareValue(files.contents(std::string(directory) + "/" + std::string(name)));
}

std::optional<std::string> firstDmiValue(const RootFiles& files,
                                         std::initializer_list<std::string_view> names) {
    for (const auto name : names) {
        if (auto value = firmwareValue(files, kDmi, name)) {
            return value;
        }
    }
    return std::nullopt;
}

std::optional<std::string> boardModel(const RootFiles& files) {
    const auto vendor = firmwareValue(files, kDmi, "board_vendor");
    auto board = firmwareValue(files, kDmi, "board_name");
    if (vendor && board) {
        return *vendor + " " + *board;
    }
    return board;
}

}  // namespace

bool hasPlatformDescription(const RootFiles& files) {
    return files.exists(kDmi) || files.exists(kDeviceTree);
}

std::optional<std::string> modelIdentifier(const RootFiles& files) {
    if (auto model = firstDmiValue(files, {"product_name", "product_version"})) {
        return model;
    }
    if (auto model = boardModel(files)) {
        return model;
    }
    return firmwareValue(files, kDeviceTree, "model");
}

FirmwareSerial firmwareSerialNumber(const RootFiles& files) {
    FirmwareSerial found;
    for (const auto name : kDmiSerials) {
        const auto contents = files.contents(std::string(kDmi) + "/" + std::string(name));
        if (auto serial = firmwareValue(contents)) {
            return {std::move(serial)};
        }
        found.withheld =
            found.withheld || (!contents.text && contents.absence != FileAbsence::Missing);
    }
    found.serial = firmwareValue(files, kDeviceTree, "serial-number");
    return found;
}

std::optional<std::string> platformUuid(const RootFiles& files) {
    return firmwareValue(files, kDmi, "product_uuid");
}

}  // namespace platform::linux_backend
