#include "platform/integer_value.h"

#include <charconv>
#include <limits>
#include <system_error>

#include "platform/ascii.h"

namespace platform {

long integerValue(std::string_view text) {
    while (!text.empty() && isAsciiSpace(text.front())) {
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return 0;
    }
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

}  // namespace platform
