#include "platform/linux/passwd.h"

#include <array>

#include "platform/linux/text_fields.h"

namespace platform::linux_backend {
namespace {

// login:password:uid:gid:gecos:home:shell
constexpr std::size_t kFieldCount = 7;

std::array<std::string_view, kFieldCount> fieldsOf(std::string_view line) {
    std::array<std::string_view, kFieldCount> fields{};
    for (auto& field : fields) {
        field = takeField(line, ':');
    }
    return fields;
}

}  // namespace

std::optional<PasswdEntry> findPasswdEntry(std::string_view text, std::uint32_t uid) {
    while (!text.empty()) {
        const auto fields = fieldsOf(takeField(text, '\n'));
        const auto entryUid = parseUnsigned(fields[2]);
        if (!fields[0].empty() && entryUid && *entryUid == uid) {
            return PasswdEntry{std::string(fields[0]), std::string(fields[4])};
        }
    }
    return std::nullopt;
}

std::string fullNameOf(const PasswdEntry& entry) {
    const std::string_view gecos = entry.gecos;
    const std::string_view name = gecos.substr(0, gecos.find(','));
    return name.empty() ? entry.login : std::string(name);
}

}  // namespace platform::linux_backend
