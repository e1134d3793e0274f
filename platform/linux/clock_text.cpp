#include "platform/linux/clock_text.h"

#include "platform/linux/text_fields.h"

namespace platform::linux_backend {
namespace {

constexpr unsigned kMegaDigits = 6;
constexpr unsigned kGigaDigits = 9;

std::optional<std::uint64_t> nonZero(std::optional<std::uint64_t> hertz) {
    return hertz && *hertz > 0 ? hertz : std::nullopt;
}

}  // namespace

std::optional<std::uint64_t> hertzFromNameSuffix(std::string_view processorName) {
    const std::size_t at = processorName.rfind('@');
    if (at == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view clock = trimmed(processorName.substr(at + 1));
    unsigned digits = 0;
    if (clock.ends_with("GHz")) {
        digits = kGigaDigits;
    } else if (clock.ends_with("MHz")) {
        digits = kMegaDigits;
    } else {
        return std::nullopt;
    }
    clock.remove_suffix(3);
    return nonZero(parseScaledDecimal(clock, digits));
}

std::optional<std::uint64_t> hertzFromMegahertz(std::string_view text) {
    return nonZero(parseScaledDecimal(text, kMegaDigits));
}

}  // namespace platform::linux_backend
