// The sysfs CPU lists ("0-3,8") and masks ("00000000,00000101"), as /sys/devices/system/cpu/online
// and the topology files hold them.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "platform/linux/cpu_list.h"

namespace {

using platform::linux_backend::parseCpuList;
using platform::linux_backend::parseCpuMask;

void checkList(std::string_view text) {
    const auto cpus = parseCpuList(text);
    if (!cpus) {
        return;
    }
    // The same CPUs written one by one must read back as they are.
    std::string written;
    for (const unsigned cpu : *cpus) {
        written += (written.empty() ? "" : ",") + std::to_string(cpu);
    }
    fuzz::require(parseCpuList(written) == cpus, "a list written out reads back the same");
}

void checkMask(std::string_view text) {
    const auto cpus = parseCpuMask(text);
    if (!cpus) {
        return;
    }
    constexpr unsigned kGroupBits = 32;
    std::vector<std::uint32_t> groups(cpus->empty() ? 1 : cpus->back() / kGroupBits + 1);
    for (const unsigned cpu : *cpus) {
        fuzz::require(cpu < platform::linux_backend::kMostCpus,
                      "a mask names no CPU past the limit");
        groups[cpu / kGroupBits] |= std::uint32_t{1} << (cpu % kGroupBits);
    }
    // The same CPUs written as full groups, the most significant first, must read back the same.
    std::string written;
    for (auto group = groups.rbegin(); group != groups.rend(); ++group) {
        char digits[9];
        std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(*group));
        written += (written.empty() ? "" : ",") + std::string(digits);
    }
    fuzz::require(parseCpuMask(written) == cpus, "a mask written out reads back the same");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::textOf(data, size);
    checkList(text);
    checkMask(text);
    return 0;
}
