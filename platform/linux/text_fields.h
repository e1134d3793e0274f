#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// Small pieces of text handling shared by the parsers of /proc, /sys and /etc files.
namespace platform::linux_backend {

// The part of `text` before the first `separator`; it is taken off the front of `text` together
// with the separator. All of `text` when there is no separator.
std::string_view takeField(std::string_view& text, char separator);

// `text` without leading and trailing spaces, tabs, carriage returns and newlines.
std::string_view trimmed(std::string_view text);

// Whether every character of `text` is a digit 0 to 9; true for the empty text.
bool allDecimalDigits(std::string_view text);

// The whole of `text` (after trimming) as an unsigned number in `base`; base 16 accepts an
// optional "0x" prefix. std::nullopt for anything else, overflow included.
std::optional<std::uint64_t> parseUnsigned(std::string_view text, int base = 10);

// The whole of `text` (after trimming) as a signed decimal number; std::nullopt otherwise.
std::optional<std::int64_t> parseSigned(std::string_view text);

// A decimal text such as "2.30" multiplied by 10^fractionDigits, exactly: "2.30" with 9 digits
// is 2300000000. Fraction digits beyond `fractionDigits` are dropped. std::nullopt for anything
// but digits with at most one '.', or when the result does not fit.
std::optional<std::uint64_t> parseScaledDecimal(std::string_view text, unsigned fractionDigits);

}  // namespace platform::linux_backend
