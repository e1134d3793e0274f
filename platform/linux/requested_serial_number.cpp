#include "platform/linux/requested_serial_number.h"

#include "platform/linux/firmware_placeholder.h"
#include "platform/linux/platform_identity.h"

namespace platform::linux_backend {
namespace {

using Outcome = HardwareSerialAnswer::Outcome;

// Why there is no serial number when the service could not tell: the firmware's own files
// decide.
PropertyAbsence absenceFromFiles(const RootFiles& files) {
    return platformSerialNumberWithheld(files) ? PropertyAbsence::NotPermitted
                                               : PropertyAbsence::NotRecorded;
}

}  // namespace

void requestSerialNumber(const RootFiles& files, HardwareSerialService* service,
                         RegistryPropertyDone done) {
    if (auto serial = platformSerialNumber(files)) {
        done(std::move(serial), PropertyAbsence::NotRecorded);
        return;
    }
    const PropertyAbsence why = absenceFromFiles(files);
    if (service == nullptr) {
        done(std::nullopt, why);
        return;
    }
    service->requestHardwareSerial([why, done = std::move(done)](HardwareSerialAnswer answer) {
        if (answer.outcome == Outcome::Answered && !isFirmwarePlaceholder(answer.serial)) {
            done(std::move(answer.serial), why);
            return;
        }
        // The service reads the files as root: a placeholder from it is all the firmware has.
        if (answer.outcome == Outcome::Answered) {
            done(std::nullopt, PropertyAbsence::NotRecorded);
        } else {
            done(std::nullopt,
                 answer.outcome == Outcome::Refused ? PropertyAbsence::NotPermitted : why);
        }
    });
}

}  // namespace platform::linux_backend
