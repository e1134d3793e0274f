#include "platform/ascii.h"

#include <algorithm>

namespace platform {

std::string asciiLowerCased(std::string_view text) {
    std::string lower(text);
    std::ranges::transform(lower, lower.begin(), asciiLowerCase);
    return lower;
}

}  // namespace platform
