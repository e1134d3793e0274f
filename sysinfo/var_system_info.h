#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace sysinfo {

// A snapshot of the machine's facts. Making a record gathers all thirteen at once from the
// installed machine (platform/machine.h); afterwards nothing refreshes it. Any property may be
// absent (std::nullopt), which is not the same as the empty text. Memory is in bytes and the
// clock in hertz, both as plain decimal digits that the consumers scale for display.
// Each consumer makes its own record when it needs the facts; records share nothing.
class VarSystemInfo {
  public:
    // Gathers every fact. Never fails as a whole: a fact that cannot be read is left absent.
    VarSystemInfo();

    // The computer's user-visible name.
    const std::optional<std::string>& sysName() const { return _sysName; }
    // Login name and full name of the user running the program.
    const std::optional<std::string>& sysUserName() const { return _sysUserName; }
    const std::optional<std::string>& sysFullUserName() const { return _sysFullUserName; }
    // The operating system's name, such as "Linux".
    const std::optional<std::string>& sysOSName() const { return _sysOSName; }
    // The operating system's version text, as getOSVersionInfo composed it.
    const std::optional<std::string>& sysOSVersion() const { return _sysOSVersion; }
    // Installed memory in bytes, such as "8589934592"; present in every filled record.
    const std::optional<std::string>& sysPhysicalMemory() const { return _sysPhysicalMemory; }
    // The machine's serial number and platform UUID, from the platform-expert registry entry.
    const std::optional<std::string>& sysSerialNumber() const { return _sysSerialNumber; }
    const std::optional<std::string>& sysUUID() const { return _sysUUID; }
    // The model identifier, such as "MacBookPro10,1".
    const std::optional<std::string>& sysModelID() const { return _sysModelID; }
    // The model name: "" in every filled record, since no table of model names exists.
    const std::optional<std::string>& sysModelName() const { return _sysModelName; }
    // The processor's short name, such as "Intel Core i7".
    const std::optional<std::string>& sysProcessorName() const { return _sysProcessorName; }
    // The processor clock in hertz, such as "2300000000".
    const std::optional<std::string>& sysProcessorSpeed() const { return _sysProcessorSpeed; }
    // The number of physical processor cores.
    const std::optional<std::uint64_t>& sysProcessorCount() const { return _sysProcessorCount; }

    // The operating system's version text, composed anew on every call from the kernel's
    // variables:
    // - on a Darwin kernel ("kern.ostype" is "Darwin", or none is given and the release, if
    //   any, is only numbers and dots),
    //   "10.<first release number - 4>.<second release part> (<build>)",
    //   such as "10.8.5 (12F45)"; absent when the release or the build cannot be read or the
    //   release has fewer than two parts;
    // - on any other kernel, "<distribution> (<kernel release>)", such as
    //   "Debian GNU/Linux 12 (6.1.0-18-amd64)". The kernel's name stands in for a distribution
    //   that gives none ("Linux (6.1.0-18-amd64)"), and without a release the name stands alone.
    std::optional<std::string> getOSVersionInfo() const;

    // Only the fill writes the properties; the setters are there for it.
    void setSysName(std::optional<std::string> value) { _sysName = std::move(value); }
    void setSysUserName(std::optional<std::string> value) { _sysUserName = std::move(value); }
    void setSysFullUserName(std::optional<std::string> value) {
        _sysFullUserName = std::move(value);
    }
    void setSysOSName(std::optional<std::string> value) { _sysOSName = std::move(value); }
    void setSysOSVersion(std::optional<std::string> value) { _sysOSVersion = std::move(value); }
    void setSysPhysicalMemory(std::optional<std::string> value) {
        _sysPhysicalMemory = std::move(value);
    }
    void setSysSerialNumber(std::optional<std::string> value) {
        _sysSerialNumber = std::move(value);
    }
    void setSysUUID(std::optional<std::string> value) { _sysUUID = std::move(value); }
    void setSysModelID(std::optional<std::string> value) { _sysModelID = std::move(value); }
    void setSysModelName(std::optional<std::string> value) { _sysModelName = std::move(value); }
    void setSysProcessorName(std::optional<std::string> value) {
        _sysProcessorName = std::move(value);
    }
    void setSysProcessorSpeed(std::optional<std::string> value) {
        _sysProcessorSpeed = std::move(value);
    }
    void setSysProcessorCount(std::optional<std::uint64_t> value) { _sysProcessorCount = value; }

  private:
    // Fills the thirteen properties in their fixed order, each stored before the next is read.
    void setupSystemInformation();

    // The named kernel variable as text: its bytes up to the first NUL, or all of them when
    // there is none. Absent when the variable is unknown or its buffer cannot be had; the empty
    // text when its size was learnt but reading it then failed.
    static std::optional<std::string> _strControlEntry(const std::string& name);
    // The named kernel variable as an unsigned number of up to 8 bytes; absent when unknown.
    static std::optional<std::uint64_t> _numControlEntry(const std::string& name);
    // The text property `key` of the platform-expert registry entry; absent when there is no
    // such entry or it lacks the property. The entry is looked up afresh on every call.
    static std::optional<std::string> _strIORegistryEntry(const std::string& key);

    // The model name for a model identifier: "" for every identifier, absent included.
    static std::string _modelNameFromID(const std::optional<std::string>& modelID);
    // The short processor name of a brand string, the maker and the product line: its words
    // without the registered and trade marks, the words that begin with a digit, the "Gen" of a
    // generation ordinal ("13th Gen"), a core count with the "Processor" that follows it
    // ("12-Core Processor", "Eight-Core"), and everything from the word "CPU" or the
    // integrated graphics ("w/ Radeon", "with Radeon", "Radeon") on, joined by single spaces.
    // "Intel(R) Core(TM) i7-3615QM CPU @ 2.30GHz" and "13th Gen Intel(R) Core(TM) i7-1370P" give
    // "Intel Core i7". Absent exactly when `brand` is.
    static std::optional<std::string> _parseBrandName(const std::optional<std::string>& brand);

    // getOSVersionInfo for a Darwin kernel, given its release text; reads the build itself.
    static std::optional<std::string> _darwinVersionText(const std::optional<std::string>& release);
    // getOSVersionInfo for any other kernel, given its name and release text. The name shown is
    // the distribution's ("quelmarn.os.product_name"), else the kernel's, else "Linux"; the release
    // follows in parentheses when there is one.
    static std::string _linuxVersionText(const std::optional<std::string>& kernel,
                                         const std::optional<std::string>& release);

    std::optional<std::string> _sysName;
    std::optional<std::string> _sysUserName;
    std::optional<std::string> _sysFullUserName;
    std::optional<std::string> _sysOSName;
    std::optional<std::string> _sysOSVersion;
    std::optional<std::string> _sysPhysicalMemory;
    std::optional<std::string> _sysSerialNumber;
    std::optional<std::string> _sysUUID;
    std::optional<std::string> _sysModelID;
    std::optional<std::string> _sysModelName;
    std::optional<std::string> _sysProcessorName;
    std::optional<std::string> _sysProcessorSpeed;
    std::optional<std::uint64_t> _sysProcessorCount;
};

}  // namespace sysinfo
