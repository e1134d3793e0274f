#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// The computer this program runs on.
class NSHost {
  public:
    static NSHost currentHost() { return NSHost(); }
    // The computer's user-visible name, or std::nullopt.
    std::optional<std::string> localizedName() const;
};

// Login name and full name of the user running the program; std::nullopt when unknown.
std::optional<std::string> NSUserName();
std::optional<std::string> NSFullUserName();

// Facts about the running process's system.
class NSProcessInfo {
  public:
    static NSProcessInfo processInfo() { return NSProcessInfo(); }
    // The operating system's name, such as "Linux", or std::nullopt.
    std::optional<std::string> operatingSystemName() const;
    // Installed memory in bytes; 0 when it cannot be told.
    std::uint64_t physicalMemory() const;
};

// The application's own information dictionary.
class NSBundle {
  public:
    static NSBundle mainBundle() { return NSBundle(); }
    // The value of `key` in the information dictionary, or std::nullopt. "CFBundleVersion" is the
    // version the build was made as.
    std::optional<std::string> objectForInfoDictionaryKey(const std::string& key) const;
};

}  // namespace platform
