#pragma once

#include <functional>
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

// Receives a service's answer.
using HardwareSerialDone = std::function<void(HardwareSerialAnswer answer)>;

// A system service that knows the hardware serial number and may read it for a user who
// cannot read the firmware's root-only files (systemd-hostnamed, reached over D-Bus). Asking
// may show the desktop's password prompt and wait for the user, so it is done only for the
// user's own request, and the asker never waits: the answer comes later.
class HardwareSerialService {
  public:
    virtual ~HardwareSerialService() = default;
    // Asks and returns at once. `done` receives the answer exactly once, from the event loop,
    // within the service's own bound (Unavailable once it has passed); never from inside this
    // call.
    virtual void requestHardwareSerial(HardwareSerialDone done) = 0;
};

}  // namespace platform::linux_backend
