#pragma once

#include <optional>
#include <string>

#include "platform/linux/root_files.h"

namespace platform::linux_backend {

// The computer's user-visible name: PRETTY_HOSTNAME of /etc/machine-info (machine-info(5), the
// name a user gives the machine, which may hold spaces and any UTF-8), else the kernel's host
// name. On the live system, gethostname(2) stands in when /proc is not mounted.
// std::nullopt when none is there.
std::optional<std::string> computerName(const RootFiles& files);

}  // namespace platform::linux_backend
