#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace platform::linux_backend {

// The CPU numbers of a sysfs CPU list such as "0-3,8" (Documentation/ABI/testing/
// sysfs-devices-system-cpu), ascending as written. The empty text is the empty list.
// std::nullopt when the text is not such a list, or names a CPU beyond any kernel's limit.
std::optional<std::vector<unsigned>> parseCpuList(std::string_view text);

}  // namespace platform::linux_backend
