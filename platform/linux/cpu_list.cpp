#include "platform/linux/cpu_list.h"

#include "platform/linux/text_fields.h"

namespace platform::linux_backend {
namespace {

// CONFIG_NR_CPUS stops at 8192; a larger number is a broken file, not a CPU.
constexpr std::uint64_t kMostCpus = 8192;

}  // namespace

std::optional<std::vector<unsigned>> parseCpuList(std::string_view text) {
    std::vector<unsigned> cpus;
    text = trimmed(text);
    while (!text.empty()) {
        std::string_view range = takeField(text, ',');
        const bool isRange = range.find('-') != std::string_view::npos;
        const auto first = parseUnsigned(takeField(range, '-'));
        const auto last = isRange ? parseUnsigned(range) : first;
        if (!first || !last || *first > *last || *last >= kMostCpus) {
            return std::nullopt;
        }
        for (auto cpu = *first; cpu <= *last; ++cpu) {
            cpus.push_back(static_cast<unsigned>(cpu));
        }
    }
    return cpus;
}

}  // namespace platform::linux_backend
