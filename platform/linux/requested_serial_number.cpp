#include "platform/linux/requested_serial_number.h"

#include "platform/linux/firmware_placeholder.h"
#include "platform/linux/platform_identity.h"

namespace platform::linux_backend {
namespace {

using Outcome = HardwareSerialAnswer::Outcome;

}  // namespace

void requestSerialNumber(const RootFiles& files, HardwareSerialService* service,
                         RegistryPropertyDone done) {
    auto fromFiles = firmwareSerialNumber(files);
    if (fromFiles.serial) {
        done(std::move(fromFiles.serial), PropertyAbsence::NotRecorded);
        return;
    }
    // When the service cannot tell, the firmware's own files decide why there is none.
    const PropertyAbsence why =
        fromFiles.withheld ? PropertyAbsence::NotPermitted : PropertyAbsence::NotRecorded;
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
