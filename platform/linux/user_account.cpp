#include "platform/linux/user_account.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace platform::linux_backend {
namespace {

std::optional<PasswdEntry> liveUserAccount(std::uint32_t uid) {
    // getpwuid_r(3): _SC_GETPW_R_SIZE_MAX is only a first guess; ERANGE asks for more room.
    const long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 1024);
    passwd entry{};
    passwd* found = nullptr;
    int error = 0;
    while ((error = ::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found)) == ERANGE) {
        buffer.resize(buffer.size() * 2);
    }
    if (error != 0 || found == nullptr) {
        return std::nullopt;
    }
    return PasswdEntry{found->pw_name, found->pw_gecos != nullptr ? found->pw_gecos : ""};
}

}  // namespace

std::optional<PasswdEntry> userAccount(const RootFiles& files, std::uint32_t uid) {
    if (files.isLiveSystem()) {
        return liveUserAccount(uid);
    }
    const auto text = files.read("/etc/passwd");
    return text ? findPasswdEntry(*text, uid) : std::nullopt;
}

}  // namespace platform::linux_backend
