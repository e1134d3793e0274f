#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace platform {

// One value for a printf-style format. "%@" takes an object: a text or a number, either of
// which may be absent and then prints as "(null)". The numeric conversions ("%d", "%ld", "%u",
// "%x", "%08x", "%f", "%.1f", ...) take numbers, "%c" an integer whose low 8 bits are the
// character (written in UTF-8, so 0xE9 gives "é"), "%s" a C string.
using FormatArgument = std::variant<std::optional<std::string>, std::optional<std::uint64_t>,
                                    const char*, std::int64_t, std::uint64_t, double>;

// The text `format` makes with `arguments`, in order. A conversion without a matching argument,
// or with one of the wrong kind, prints nothing of its own; "%%" prints "%". A '%' that starts
// no conversion (such as the one in "up 50%!", or a width or precision of more than three digits)
// is printed as it is, takes no argument, and the text after it is kept.
std::string stringWithFormat(std::string_view format,
                             std::initializer_list<FormatArgument> arguments = {});

// Helpers that pick the argument kind, so callers can write stringWithFormat(f, {arg(x), ...}).
inline FormatArgument arg(const std::optional<std::string>& text) {
    return text;
}
inline FormatArgument arg(const std::string& text) {
    return std::optional<std::string>(text);
}
inline FormatArgument arg(const char* text) {
    return text;
}
inline FormatArgument arg(const std::optional<std::uint64_t>& number) {
    return number;
}
inline FormatArgument arg(int value) {
    return static_cast<std::int64_t>(value);
}
inline FormatArgument arg(long value) {
    return static_cast<std::int64_t>(value);
}
inline FormatArgument arg(unsigned value) {
    return static_cast<std::uint64_t>(value);
}
inline FormatArgument arg(unsigned long value) {
    return static_cast<std::uint64_t>(value);
}
inline FormatArgument arg(double value) {
    return value;
}
inline FormatArgument arg(float value) = delete;  // widen explicitly, as the caller means it

}  // namespace platform
