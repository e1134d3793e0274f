#include "platform/linux/requested_serial_number.h"

#include "platform/linux/firmware_placeholder.h"
#include "platform/linux/platform_identity.h"

namespace platform::linux_backend {

std::optional<std::string> requestedSerialNumber(const RootFiles& files,
                                                 HardwareSerialService* service,
                                                 PropertyAbsence* absence) {
    if (auto serial = platformSerialNumber(files)) {
        return serial;
    }
    bool refused = false;
    if (service != nullptr) {
        auto answer = service->hardwareSerial();
        if (answer.outcome == HardwareSerialAnswer::Outcome::Answered &&
            !isFirmwarePlaceholder(answer.serial)) {
            return std::move(answer.serial);
        }
        refused = answer.outcome == HardwareSerialAnswer::Outcome::Refused;
    }
    if (absence != nullptr) {
        *absence = refused || platformSerialNumberWithheld(files) ? PropertyAbsence::NotPermitted
                                                                  : PropertyAbsence::NotRecorded;
    }
    return std::nullopt;
}

}  // namespace platform::linux_backend
