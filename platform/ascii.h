#pragma once

#include <string>
#include <string_view>

namespace platform {

// Character tests and case mapping over ASCII alone, the same in every locale (unlike <cctype>,
// whose answers follow LC_CTYPE and whose int argument must not be a negative char). Every
// character outside ASCII fails each test and is left as it is by the case mapping.

// "0" to "9".
constexpr bool isAsciiDigit(char32_t c) {
    return c >= U'0' && c <= U'9';
}

// "A" to "Z" and "a" to "z".
constexpr bool isAsciiLetter(char32_t c) {
    return (c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z');
}

// The C locale's white space (isspace(3)): space, "\t", "\n", "\v", "\f" and "\r".
constexpr bool isAsciiSpace(char32_t c) {
    return c == U' ' || (c >= U'\t' && c <= U'\r');
}

// The blanks and line ends that kernel and firmware files pad their values with: space, "\t",
// "\r" and "\n".
constexpr bool isBlankOrLineEnd(char32_t c) {
    return c == U' ' || c == U'\t' || c == U'\r' || c == U'\n';
}

// `c` with "A" to "Z" mapped to "a" to "z".
constexpr char asciiLowerCase(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// `text` with every ASCII capital lower-cased; other bytes unchanged.
std::string asciiLowerCased(std::string_view text);

// Whether `a` and `b` are the same text when ASCII letters are compared without case.
bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b);

}  // namespace platform
