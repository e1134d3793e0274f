#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// How many bytes the UTF-8 sequence that `lead` begins claims by its high bits (RFC 3629): 1 for
// ASCII, 2 to 4 for a lead byte, and 1 for a byte that begins no sequence (a continuation byte,
// 0xF8 to 0xFF). Whether the sequence is well-formed is decodeUtf8's question.
std::size_t utf8SequenceLength(char lead);

// One character at the front of a UTF-8 text, and the bytes it takes there.
struct Utf8Character {
    char32_t point;
    std::size_t length;
};

// The character that a well-formed sequence at the front of `text` encodes; std::nullopt when
// `text` is empty or does not begin with one (callers then take the first byte on its own).
std::optional<Utf8Character> firstUtf8Character(std::string_view text);

// The Unicode code points of a UTF-8 text; std::nullopt when the bytes are not well-formed
// UTF-8 (overlong forms, surrogates and values above U+10FFFF included).
std::optional<std::vector<char32_t>> decodeUtf8(std::string_view bytes);

// Appends the UTF-8 bytes of code point `point` (at most U+10FFFF) to `text`.
void appendUtf8(std::string& text, char32_t point);

}  // namespace platform
