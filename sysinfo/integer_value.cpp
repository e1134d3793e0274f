#include "sysinfo/integer_value.h"

#include <charconv>
#include <limits>
#include <system_error>

namespace sysinfo {

long integerValue(std::string_view text) {
    const std::size_t start = text.find_first_not_of(" \t\n\v\f\r");
    if (start == std::string_view::npos) {
        return 0;
    }
    text.remove_prefix(start);
    const bool negative = text.front() == '-';
    if (negative || text.front() == '+') {
        text.remove_prefix(1);
    }
    // Read the magnitude unsigned: from_chars would take a second "-" for a signed type.
    unsigned long magnitude = 0;
    const std::errc error = std::from_chars(text.data(), text.data() + text.size(), magnitude).ec;
    if (error == std::errc::invalid_argument) {
        return 0;
    }
    constexpr auto kLargest = static_cast<unsigned long>(std::numeric_limits<long>::max());
    if (error == std::errc::result_out_of_range || magnitude > kLargest + (negative ? 1 : 0)) {
        return negative ? std::numeric_limits<long>::min() : std::numeric_limits<long>::max();
    }
    // Negating in unsigned arithmetic reaches the smallest long, whose magnitude has no long.
    return negative ? static_cast<long>(0UL - magnitude) : static_cast<long>(magnitude);
}

}  // namespace sysinfo
