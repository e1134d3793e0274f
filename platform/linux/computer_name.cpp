#include "platform/linux/computer_name.h"

#include <limits.h>
#include <unistd.h>

#include <array>

#include "platform/linux/shell_assignments.h"

namespace platform::linux_backend {
namespace {

std::optional<std::string> prettyHostName(const RootFiles& files) {
    const auto text = files.read("/etc/machine-info");
    if (!text) {
        return std::nullopt;
    }
    const auto values = parseShellAssignments(*text);
    const auto found = values.find("PRETTY_HOSTNAME");
    if (found == values.end() || found->second.empty()) {
        return std::nullopt;
    }
    return found->second;
}

std::optional<std::string> liveHostName() {
    std::array<char, HOST_NAME_MAX + 1> name{};
    if (::gethostname(name.data(), name.size() - 1) != 0 || name[0] == '\0') {
        return std::nullopt;
    }
    return std::string(name.data());
}

}  // namespace

std::optional<std::string> computerName(const RootFiles& files) {
    if (auto pretty = prettyHostName(files)) {
        return pretty;
    }
    if (auto hostName = files.read("/proc/sys/kernel/hostname"); hostName && !hostName->empty()) {
        return hostName;
    }
    return files.isLiveSystem() ? liveHostName() : std::nullopt;
}

}  // namespace platform::linux_backend
