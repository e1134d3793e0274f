#pragma once

#include <cstddef>

namespace platform {

// Reads the named kernel variable of the installed machine, with the usual two-call protocol:
// - with `oldp` null, stores the value's size in bytes into *oldlenp;
// - with a buffer, copies at most *oldlenp bytes of the value into it and stores the number of
//   bytes copied into *oldlenp.
// Setting values is not supported: `newp` must be null and `newlen` 0.
// Returns 0 on success, -1 when the name is unknown or the arguments are unusable.
int sysctlbyname(const char* name, void* oldp, std::size_t* oldlenp, const void* newp,
                 std::size_t newlen);

}  // namespace platform
