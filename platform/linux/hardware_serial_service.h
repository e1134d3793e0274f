#pragma once

#include <string>

namespace platform::linux_backend {

// What a system service answered when asked for the machine's hardware serial number.
struct HardwareSerialAnswer {
    enum class Outcome {
        Answered,     // `serial` holds the answer as given: it may be blank or a placeholder
        Refused,      // authorization was refused or could not be obtained
        Unavailable,  // no bus, no such service, an error, or no answer within the bound
    };
    Outcome outcome = Outcome::Unavailable;
    std::string serial;
};

// A system service that knows the hardware serial number and may read it for a user who
// cannot read the firmware's root-only files (systemd-hostnamed, reached over D-Bus). Asking
// may show the desktop's password prompt and wait for the user, so it is done only for the
// user's own request; it never throws and always returns within its own bound.
class HardwareSerialService {
  public:
    virtual ~HardwareSerialService() = default;
    virtual HardwareSerialAnswer hardwareSerial() = 0;
};

}  // namespace platform::linux_backend
