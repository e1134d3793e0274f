#include "platform/ascii.h"

#include <algorithm>

namespace platform {

std::string asciiLowerCased(std::string_view text) {
    std::string lower(text);
    std::ranges::transform(lower, lower.begin(), asciiLowerCase);
    return lower;
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(
        a, b, [](char x, char y) { return asciiLowerCase(x) == asciiLowerCase(y); });
}

}  // namespace platform
