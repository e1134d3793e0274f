#pragma once

#include <string_view>

namespace platform::linux_backend {

// Whether a DMI or device-tree value is one of the fillers that firmware ships instead of a real
// model, serial number or UUID ("To Be Filled By O.E.M.", "Default string", "None", ...): the
// known texts compared trimmed and without case, the empty text, a run of one character
// ("00000000", "XXXX"; dashes are not counted, so an all-zero UUID is one too), and the UUID
// that many boards share.
bool isFirmwarePlaceholder(std::string_view value);

}  // namespace platform::linux_backend
