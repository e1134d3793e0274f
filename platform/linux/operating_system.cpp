#include "platform/linux/operating_system.h"

#include "platform/linux/shell_assignments.h"

namespace platform::linux_backend {

std::optional<std::string> distributionFromOsRelease(std::string_view text) {
    const auto values = parseShellAssignments(text);
    const auto valueOf = [&values](std::string_view key) -> std::string {
        const auto found = values.find(key);
        return found == values.end() ? std::string() : found->second;
    };
    const std::string name = valueOf("NAME");
    const std::string version = valueOf("VERSION_ID");
    if (!name.empty() && !version.empty()) {
        return name + " " + version;
    }
    if (std::string pretty = valueOf("PRETTY_NAME"); !pretty.empty()) {
        return pretty;
    }
    return name.empty() ? std::nullopt : std::optional<std::string>(name);
}

std::optional<std::string> distributionName(const RootFiles& files) {
    // os-release(5): /etc/os-release takes precedence; /usr/lib/os-release is the vendor's copy.
    for (const std::string_view path : {"/etc/os-release", "/usr/lib/os-release"}) {
        const auto text = files.read(path);
        if (auto name = text ? distributionFromOsRelease(*text) : std::nullopt) {
            return name;
        }
    }
    return std::nullopt;
}

}  // namespace platform::linux_backend
