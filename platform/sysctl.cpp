#include "platform/sysctl.h"

#include <algorithm>
#include <cstring>

#include "platform/machine.h"

namespace platform {

int sysctlbyname(const char* name, void* oldp, std::size_t* oldlenp, const void* newp,
                 std::size_t newlen) {
    if (name == nullptr || oldlenp == nullptr || newp != nullptr || newlen != 0) {
        return -1;
    }
    const auto value = currentMachine().sysctlValue(name);
    if (!value) {
        return -1;
    }
    if (oldp == nullptr) {
        *oldlenp = value->size();
        return 0;
    }
    const std::size_t copied = std::min(*oldlenp, value->size());
    if (copied > 0) {
        std::memcpy(oldp, value->data(), copied);
    }
    *oldlenp = copied;
    return 0;
}

}  // namespace platform
