#pragma once

#include <cstdint>
#include <optional>

#include "platform/linux/passwd.h"
#include "platform/linux/root_files.h"

namespace platform::linux_backend {

// The account of user `uid` on the machine below the root: from its /etc/passwd for a captured
// tree; on the live system from getpwuid_r(3), which also knows users of other sources that
// nsswitch.conf(5) names (LDAP, systemd-homed). std::nullopt when the user is unknown.
std::optional<PasswdEntry> userAccount(const RootFiles& files, std::uint32_t uid);

}  // namespace platform::linux_backend
