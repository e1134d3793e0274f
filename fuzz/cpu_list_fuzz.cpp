// A sysfs CPU list ("0-3,8"), as /sys/devices/system/cpu/online and the topology files hold.
#include <string>

#include "fuzz/fuzz_input.h"
#include "platform/linux/cpu_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto cpus = platform::linux_backend::parseCpuList(fuzz::textOf(data, size));
    if (!cpus) {
        return 0;
    }
    // The same CPUs written one by one must read back as they are.
    std::string written;
    for (const unsigned cpu : *cpus) {
        written += (written.empty() ? "" : ",") + std::to_string(cpu);
    }
    fuzz::require(platform::linux_backend::parseCpuList(written) == cpus,
                  "a list written out reads back the same");
    return 0;
}
