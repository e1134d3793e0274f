#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "platform/linux/hardware_serial_service.h"

namespace platform {

// systemd-hostnamed's GetHardwareSerial() (service and interface org.freedesktop.hostname1,
// object /org/freedesktop/hostname1) on the system bus. The call allows interactive
// authorization, so polkit's action org.freedesktop.hostname1.get-hardware-serial
// (auth_admin_keep) lets the desktop's agent ask for an administrator's password; without the
// flag polkit would answer "interactive authorization required" without asking.
//
// Each request opens a connection of its own and closes it once answered: nothing touches the
// bus until the first request. The call is asynchronous: the event loop runs on (the window
// repaints, commands act) while the user reads the password prompt, and the answer comes from
// the event loop. Needs a Qt application object.
class HostnamedSerialService final : public linux_backend::HardwareSerialService {
  public:
    // How long a request waits: a minute lets a user notice the password prompt, find the
    // administrator's password and type it, while a service that never answers still gives up.
    static constexpr std::chrono::milliseconds kDefaultBound{60'000};

    // On the system bus as D-Bus finds it: DBUS_SYSTEM_BUS_ADDRESS when set, else the standard
    // socket (dbus-daemon(1)).
    HostnamedSerialService();
    // On the bus at the D-Bus address `busAddress` ("unix:path=..."), waiting at most `bound`.
    HostnamedSerialService(std::string busAddress, std::chrono::milliseconds bound);

    // Answered with the service's text; Refused for "access denied" and "interactive
    // authorization required"; Unavailable for no bus, no such service, any other error and
    // no answer within the bound.
    void requestHardwareSerial(linux_backend::HardwareSerialDone done) override;

  private:
    std::optional<std::string> busAddress_;  // none: the system bus
    std::chrono::milliseconds bound_;
};

}  // namespace platform
