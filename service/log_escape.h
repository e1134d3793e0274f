#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quelmarn::service {

// Appends `bytes`, which came from a client, to a log line as valid UTF-8 that can neither
// forge a line nor steer a terminal: a backslash becomes "\\", a byte that is not part of
// well-formed UTF-8, every C0 control and DEL "\xHH", and the C1 controls and bidirectional
// format characters (U+061C, U+200E, U+200F, U+202A to U+202E, U+2066 to U+2069) "\u{HHHH}".
// At most `maxBytes` input bytes are taken, never cutting a character; "..." marks the cut.
void appendEscapedForLog(std::string& line, std::string_view bytes, std::size_t maxBytes);

}  // namespace quelmarn::service
