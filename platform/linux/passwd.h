#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform::linux_backend {

// The parts of a user's passwd(5) entry that name the user.
struct PasswdEntry {
    std::string login;
    std::string gecos;  // the comment field: full name, then comma-separated extras
};

// The first entry of a passwd(5) text whose uid is `uid`; std::nullopt when none has it.
std::optional<PasswdEntry> findPasswdEntry(std::string_view text, std::uint32_t uid);

// The user's full name: the GECOS field up to its first comma, or the login name when that is
// empty (the convention of finger(1) and chfn(1)).
std::string fullNameOf(const PasswdEntry& entry);

}  // namespace platform::linux_backend
