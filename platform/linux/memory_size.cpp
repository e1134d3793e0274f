#include "platform/linux/memory_size.h"

#include <sys/sysinfo.h>

#include <string>

#include "platform/linux/text_fields.h"

namespace platform::linux_backend {
namespace {

constexpr std::string_view kMemoryBlocks = "/sys/devices/system/memory";

bool isMemoryBlock(std::string_view name) {
    constexpr std::string_view kPrefix = "memory";
    return name.size() > kPrefix.size() && name.starts_with(kPrefix) &&
           allDecimalDigits(name.substr(kPrefix.size()));
}

std::optional<std::uint64_t> onlineBlockBytes(const RootFiles& files) {
    const auto sizeText = files.read(std::string(kMemoryBlocks) + "/block_size_bytes");
    const auto blockSize = sizeText ? parseUnsigned(*sizeText, 16) : std::nullopt;
    if (!blockSize) {
        return std::nullopt;
    }
    std::uint64_t online = 0;
    for (const auto& name : files.list(kMemoryBlocks)) {
        if (isMemoryBlock(name) &&
            files.read(std::string(kMemoryBlocks) + "/" + name + "/online") == "1") {
            ++online;
        }
    }
    std::uint64_t bytes = 0;
    if (online == 0 || __builtin_mul_overflow(online, *blockSize, &bytes)) {
        return std::nullopt;  // a size past 64 bits is a broken file: MemTotal tells instead
    }
    return bytes;
}

std::uint64_t liveTotalRam() {
    struct sysinfo info {};
    if (::sysinfo(&info) != 0) {
        return 0;
    }
    // sysinfo(2): sizes are given as multiples of mem_unit bytes.
    return static_cast<std::uint64_t>(info.totalram) * info.mem_unit;
}

}  // namespace

std::optional<std::uint64_t> memTotalBytes(std::string_view meminfo) {
    constexpr std::uint64_t kKibibyte = 1024;
    while (!meminfo.empty()) {
        std::string_view line = takeField(meminfo, '\n');
        if (takeField(line, ':') != "MemTotal") {
            continue;
        }
        line = trimmed(line);
        if (!line.ends_with(" kB")) {
            return std::nullopt;
        }
        line.remove_suffix(3);
        const auto kibibytes = parseUnsigned(line);
        std::uint64_t bytes = 0;
        if (!kibibytes || __builtin_mul_overflow(*kibibytes, kKibibyte, &bytes)) {
            return std::nullopt;
        }
        return bytes;
    }
    return std::nullopt;
}

std::uint64_t installedMemoryBytes(const RootFiles& files) {
    if (const auto blocks = onlineBlockBytes(files)) {
        return *blocks;
    }
    const auto meminfo = files.read("/proc/meminfo");
    if (const auto total = meminfo ? memTotalBytes(*meminfo) : std::nullopt) {
        return *total;
    }
    return files.isLiveSystem() ? liveTotalRam() : 0;
}

}  // namespace platform::linux_backend
