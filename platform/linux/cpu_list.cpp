#include "platform/linux/cpu_list.h"

#include <algorithm>

#include "platform/linux/text_fields.h"

namespace platform::linux_backend {
namespace {

constexpr std::size_t kGroupDigits = 8;
constexpr unsigned kBitsPerDigit = 4;

bool isHexDigits(std::string_view text) {
    return std::ranges::all_of(text, [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    });
}

}  // namespace

std::optional<std::vector<unsigned>> parseCpuMask(std::string_view text) {
    text = trimmed(text);
    if (text.ends_with(',')) {
        return std::nullopt;  // a last group that is empty, which the loop below would not see
    }
    std::vector<std::string_view> groups;  // the most significant first
    while (!text.empty()) {
        const std::string_view group = takeField(text, ',');
        const bool fullGroup = group.size() == kGroupDigits;
        if (group.empty() || group.size() > kGroupDigits || (!groups.empty() && !fullGroup) ||
            !isHexDigits(group)) {
            return std::nullopt;
        }
        groups.push_back(group);
    }
    if (groups.empty() || (groups.size() - 1) * kGroupDigits * kBitsPerDigit >= kMostCpus) {
        return std::nullopt;
    }
    std::vector<unsigned> cpus;
    unsigned firstCpu = 0;
    for (auto group = groups.rbegin(); group != groups.rend(); ++group) {
        const auto bits = *parseUnsigned(*group, 16);
        for (unsigned bit = 0; bit < kGroupDigits * kBitsPerDigit; ++bit) {
            if ((bits >> bit) & 1U) {
                cpus.push_back(firstCpu + bit);
            }
        }
        firstCpu += kGroupDigits * kBitsPerDigit;
    }
    return cpus;
}

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
