#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The Unicode code points of a UTF-8 text; std::nullopt when the bytes are not well-formed
// UTF-8 (overlong forms, surrogates and values above U+10FFFF included).
std::optional<std::vector<char32_t>> decodeUtf8(std::string_view bytes);

// Appends the UTF-8 bytes of code point `point` (at most U+10FFFF) to `text`.
void appendUtf8(std::string& text, char32_t point);

}  // namespace platform
