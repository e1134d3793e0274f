#pragma once

#include <string_view>

namespace platform {

// The integer that `text` begins with: leading white space is skipped, then an optional "+" or
// "-" and decimal digits are read, up to the first other character. A text that does not begin
// so gives 0. A number beyond the range of long gives the nearest limit.
long integerValue(std::string_view text);

}  // namespace platform
