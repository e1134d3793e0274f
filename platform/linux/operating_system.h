#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/linux/root_files.h"

namespace platform::linux_backend {

// The distribution's name and version from an os-release(5) text: NAME and VERSION_ID joined
// by a space ("Debian GNU/Linux 12"), else PRETTY_NAME, else NAME. std::nullopt when the text
// names nothing.
std::optional<std::string> distributionFromOsRelease(std::string_view text);

// The same from /etc/os-release, or /usr/lib/os-release when the first gives no name.
std::optional<std::string> distributionName(const RootFiles& files);

}  // namespace platform::linux_backend
