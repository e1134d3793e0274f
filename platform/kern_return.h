#pragma once

#include <cstdint>

namespace platform {

// Status of a registry or driver call: 0 on success, a non-zero error code otherwise.
using kern_return_t = std::int32_t;
inline constexpr kern_return_t KERN_SUCCESS = 0;
// The registry knows no such object or could not do what was asked.
inline constexpr kern_return_t kIOReturnNotFound = static_cast<kern_return_t>(0xe00002f0);
inline constexpr kern_return_t kIOReturnError = static_cast<kern_return_t>(0xe00002bc);
inline constexpr kern_return_t kIOReturnBadArgument = static_cast<kern_return_t>(0xe00002c2);
inline constexpr kern_return_t kIOReturnNotOpen = static_cast<kern_return_t>(0xe00002cd);

}  // namespace platform
