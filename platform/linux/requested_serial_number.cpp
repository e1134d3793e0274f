#include "platform/linux/requested_serial_number.h"

#include "platform/linux/firmware_placeholder.h"
#include "platform/linux/platform_identity.h"

namespace platform::linux_backend {
namespace {

using Outcome = HardwareSerialAnswer::Outcome;

}  // namespace

std::optional<std::string> requestedSerialNumber(const RootFiles& files,
                                                 HardwareSerialService* service,
                                                 PropertyAbsence* absence) {
    auto fromFiles = firmwareSerialNumber(files);
    if (fromFiles.serial) {
        return std::move(fromFiles.serial);
    }
    // When the service cannot tell, the firmware's own files decide why there is none.
    PropertyAbsence why =
        fromFiles.withheld ? PropertyAbsence::NotPermitted : PropertyAbsence::NotRecorded;
    if (service != nullptr) {
        auto answer = service->hardwareSerial();
        if (answer.outcome == Outcome::Answered && !isFirmwarePlaceholder(answer.serial)) {
            return std::move(answer.serial);
        }
        // The service reads the files as root: a placeholder from it is all the firmware has.
        if (answer.outcome == Outcome::Answered) {
            why = PropertyAbsence::NotRecorded;
        } else if (answer.outcome == Outcome::Refused) {
            why = PropertyAbsence::NotPermitted;
        }
    }
    if (absence != nullptr) {
        *absence = why;
    }
    return std::nullopt;
}

}  // namespace platform::linux_backend
