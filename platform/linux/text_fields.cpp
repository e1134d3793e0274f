#include "platform/linux/text_fields.h"

#include <algorithm>
#include <charconv>
#include <string>

#include "platform/ascii.h"

namespace platform::linux_backend {
namespace {

template <typename Number>
std::optional<Number> parseWhole(std::string_view text, int base) {
    Number value{};
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, base);
    if (text.empty() || error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::string_view takeField(std::string_view& text, char separator) {
    const std::size_t end = text.find(separator);
    const std::string_view field = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    return field;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlankOrLineEnd(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlankOrLineEnd(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool allDecimalDigits(std::string_view text) {
    return std::ranges::all_of(text, [](char c) { return isAsciiDigit(c); });
}

std::optional<std::uint64_t> parseUnsigned(std::string_view text, int base) {
    text = trimmed(text);
    if (base == 16 && (text.starts_with("0x") || text.starts_with("0X"))) {
        text.remove_prefix(2);
    }
    return parseWhole<std::uint64_t>(text, base);
}

std::optional<std::int64_t> parseSigned(std::string_view text) {
    return parseWhole<std::int64_t>(trimmed(text), 10);
}

std::optional<std::uint64_t> parseScaledDecimal(std::string_view text, unsigned fractionDigits) {
    std::string_view fraction = trimmed(text);
    const std::string_view whole = takeField(fraction, '.');
    if (whole.empty() || !allDecimalDigits(whole) || !allDecimalDigits(fraction)) {
        return std::nullopt;
    }
    std::string digits(whole);
    digits.append(fraction.substr(0, fractionDigits));
    digits.append(fractionDigits - std::min<std::size_t>(fraction.size(), fractionDigits), '0');
    return parseWhole<std::uint64_t>(digits, 10);
}

}  // namespace platform::linux_backend
