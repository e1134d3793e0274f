#include "platform/linux/firmware_placeholder.h"

#include <algorithm>
#include <array>

#include "platform/ascii.h"
#include "platform/linux/text_fields.h"

namespace platform::linux_backend {
namespace {

// What board makers leave in their SMBIOS tables when they do not fill a field in. "System
// Version" is what such boards put in product_version, the model's next source.
constexpr std::array<std::string_view, 17> kPlaceholders = {
    "To Be Filled By O.E.M.",
    "System Product Name",
    "System manufacturer",
    "System Serial Number",
    "System Version",
    "Default string",
    "Not Specified",
    "Not Applicable",
    "None",
    "N/A",
    "Unknown",
    "OEM",
    "0123456789",
    "Type1ProductConfigId",
    "03000200-0400-0500-0006-000700080009",
    "Chassis Serial Number",
    "Base Board Serial Number",
};

bool isOneRepeatedCharacter(std::string_view value) {
    char first = '\0';
    for (const char c : value) {
        if (c == '-') {
            continue;
        }
        if (first == '\0') {
            first = c;
        } else if (c != first) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool isFirmwarePlaceholder(std::string_view value) {
    value = trimmed(value);
    return isOneRepeatedCharacter(value) ||
           std::ranges::any_of(kPlaceholders, [value](std::string_view placeholder) {
               return equalsIgnoringAsciiCase(value, placeholder);
           });
}

}  // namespace platform::linux_backend
