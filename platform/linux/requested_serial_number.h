#pragma once

#include <optional>
#include <string>

#include "platform/linux/hardware_serial_service.h"
#include "platform/linux/root_files.h"
#include "platform/machine.h"

namespace platform::linux_backend {

// The machine's serial number for the user's own request: the firmware's
// (platformSerialNumber) when this user can read it, else what `service` (may be null)
// answers, where blanks and placeholders count as absent. `done` receives it, or on absence
// why: NotPermitted when the service refused, or could not be asked while the firmware's
// serial files exist but cannot be read; NotRecorded otherwise. It is called at once when the
// service need not be asked, else once the service has answered (HardwareSerialService).
void requestSerialNumber(const RootFiles& files, HardwareSerialService* service,
                         RegistryPropertyDone done);

}  // namespace platform::linux_backend
