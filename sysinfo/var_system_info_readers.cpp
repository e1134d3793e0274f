#include <bit>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "platform/iokit.h"
#include "platform/sysctl.h"
#include "sysinfo/var_system_info.h"

namespace sysinfo {
namespace {

struct FreeBuffer {
    void operator()(char* buffer) const { std::free(buffer); }
};

}  // namespace

std::optional<std::string> VarSystemInfo::_strControlEntry(const std::string& name) {
    std::size_t size = 0;
    if (platform::sysctlbyname(name.c_str(), nullptr, &size, nullptr, 0) == -1) {
        return std::nullopt;
    }
    // Zero-filled, so that a read that fails below leaves the empty text rather than garbage.
    const std::unique_ptr<char, FreeBuffer> buffer(static_cast<char*>(std::calloc(1, size)));
    // A value we cannot make room for is as unknown to us as a missing one. A zero size may
    // legitimately give no block at all, and then there is simply nothing to read.
    if (!buffer && size != 0) {
        return std::nullopt;
    }
    std::size_t copied = size;
    platform::sysctlbyname(name.c_str(), buffer.get(), &copied, nullptr, 0);
    // Only the `size` bytes we own are looked at: a value need not end in a NUL. The bytes are
    // kept as they are, since this platform's C strings are UTF-8 like the record's texts.
    const std::string_view bytes(buffer.get(), size);
    return std::string(bytes.substr(0, bytes.find('\0')));
}

std::optional<std::uint64_t> VarSystemInfo::_numControlEntry(const std::string& name) {
    // Narrower values arrive little-endian and so fill the low-order bytes of the zeroed value.
    static_assert(std::endian::native == std::endian::little);
    std::uint64_t value = 0;
    std::size_t size = sizeof value;
    if (platform::sysctlbyname(name.c_str(), &value, &size, nullptr, 0) == -1) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::string> VarSystemInfo::_strIORegistryEntry(const std::string& key) {
    platform::io_registry_entry_t entry = platform::IOServiceGetMatchingService(
        platform::kIOMasterPortDefault, platform::IOServiceMatching("IOPlatformExpertDevice"));
    if (!entry) {
        return std::nullopt;
    }
    std::optional<std::string> text;
    platform::CFStringRef property =
        platform::IORegistryEntryCreateCFProperty(entry, key, platform::kCFAllocatorDefault, 0);
    if (property) {
        text = property->utf8;
        platform::CFRelease(std::move(property));
    }
    platform::IOObjectRelease(std::move(entry));
    return text;
}

}  // namespace sysinfo
