#include "platform/format.h"

#include <locale.h>

#include <cstdio>
#include <optional>
#include <string>

#include "platform/ascii.h"
#include "platform/utf8.h"

namespace platform {
namespace {

constexpr std::string_view kAbsent = "(null)";

// printf(3): flags, then a field width, a precision and a length modifier, then the conversion.
// '*' widths and the thousands flag are left out: no format of this system uses them.
constexpr std::string_view kFlags = "-+ #0";
constexpr std::string_view kConversions = "@dDiuUoOxXcfFeEgGaAs";
// More digits than this in a width or precision make no conversion: no text of this system
// needs them, and a width of a billion would ask for a billion bytes.
constexpr std::size_t kMostFieldDigits = 3;

// One conversion as written, such as "%-08.3lx".
struct Conversion {
    std::string_view flags;
    std::string_view width;
    std::string_view precision;  // with its '.', empty when there is none
    char conversion = '\0';
    std::size_t length = 0;  // bytes from the '%' to the conversion character, both included
};

// The run of characters at `at` that satisfy `accepted`, taken off the front.
template <typename Predicate>
std::string_view takeWhile(std::string_view text, std::size_t& at, Predicate accepted) {
    const std::size_t start = at;
    while (at < text.size() && accepted(text[at])) {
        ++at;
    }
    return text.substr(start, at - start);
}

// The conversion that starts with the '%' at the front of `text`; std::nullopt when what
// follows the '%' is not one.
std::optional<Conversion> parseConversion(std::string_view text) {
    Conversion parsed;
    std::size_t at = 1;
    parsed.flags = takeWhile(text, at, [](char c) { return kFlags.find(c) != kFlags.npos; });
    parsed.width = takeWhile(text, at, isAsciiDigit);
    if (at < text.size() && text[at] == '.') {
        const std::size_t dot = at++;
        takeWhile(text, at, isAsciiDigit);
        parsed.precision = text.substr(dot, at - dot);
    }
    if (parsed.width.size() > kMostFieldDigits || parsed.precision.size() > kMostFieldDigits + 1) {
        return std::nullopt;
    }
    // The length modifier only says how wide the caller's value was; the value's own kind,
    // which the argument carries, decides that here.
    for (const std::string_view modifier : {"hh", "ll", "h", "l", "q", "L", "j", "z", "t"}) {
        if (text.substr(at).starts_with(modifier)) {
            at += modifier.size();
            break;
        }
    }
    if (at >= text.size() || kConversions.find(text[at]) == kConversions.npos) {
        return std::nullopt;
    }
    parsed.conversion = text[at];
    parsed.length = at + 1;
    return parsed;
}

// The "C" locale, made once: the formats of this system are fixed texts, and printf(3) would
// otherwise write the decimal point of whatever LC_NUMERIC the application object took from the
// environment ("2,6" under de_DE.UTF-8).
locale_t cNumericLocale() {
    static const locale_t locale = ::newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(0));
    return locale;
}

// Switches this thread to the "C" numbers while it lives (uselocale(3) is per thread, so other
// threads and the process-wide locale are untouched).
class CNumbers {
  public:
    CNumbers() : previous_(::uselocale(cNumericLocale())) {}
    ~CNumbers() { ::uselocale(previous_); }
    CNumbers(const CNumbers&) = delete;
    CNumbers& operator=(const CNumbers&) = delete;

  private:
    locale_t previous_;
};

// Formats one value with the C library, which knows every flag; `printfText` is a complete
// conversion whose length modifier matches `value`.
template <typename T>
std::string cFormat(const std::string& printfText, T value) {
    const CNumbers cNumbers;
    const int length = std::snprintf(nullptr, 0, printfText.c_str(), value);
    if (length <= 0) {
        return {};
    }
    std::string out(static_cast<std::size_t>(length) + 1, '\0');
    std::snprintf(out.data(), out.size(), printfText.c_str(), value);
    out.pop_back();
    return out;
}

std::string objectText(const FormatArgument& argument) {
    if (const auto* text = std::get_if<std::optional<std::string>>(&argument)) {
        return text->has_value() ? **text : std::string(kAbsent);
    }
    if (const auto* number = std::get_if<std::optional<std::uint64_t>>(&argument)) {
        return number->has_value() ? std::to_string(**number) : std::string(kAbsent);
    }
    if (const auto* cString = std::get_if<const char*>(&argument)) {
        return *cString != nullptr ? *cString : std::string(kAbsent);
    }
    return {};
}

// "%c": the character whose code is the value's low 8 bits, in UTF-8 so that codes 0x80 to 0xFF
// (Latin-1) keep the text valid, padded to the field width.
std::string characterText(const Conversion& parsed, std::uint64_t value) {
    std::string character;
    appendUtf8(character, static_cast<char32_t>(value & 0xFF));
    const std::size_t width = parsed.width.empty() ? 0 : std::stoul(std::string(parsed.width));
    const std::string padding(width > 1 ? width - 1 : 0, ' ');
    return parsed.flags.find('-') != parsed.flags.npos ? character + padding : padding + character;
}

std::optional<std::uint64_t> integerBits(const FormatArgument& argument) {
    if (const auto* signedValue = std::get_if<std::int64_t>(&argument)) {
        return static_cast<std::uint64_t>(*signedValue);
    }
    if (const auto* unsignedValue = std::get_if<std::uint64_t>(&argument)) {
        return *unsignedValue;
    }
    return std::nullopt;
}

std::string convert(const Conversion& parsed, const FormatArgument& argument) {
    std::string stem = "%";
    stem.append(parsed.flags).append(parsed.width).append(parsed.precision);
    switch (parsed.conversion) {
        case '@':
            return objectText(argument);
        case 's':
            if (const auto* text = std::get_if<const char*>(&argument)) {
                return *text != nullptr ? cFormat(stem + 's', *text) : std::string(kAbsent);
            }
            return {};
        case 'c': {
            const auto bits = integerBits(argument);
            return bits ? characterText(parsed, *bits) : std::string();
        }
        case 'f':
        case 'F':
        case 'e':
        case 'E':
        case 'g':
        case 'G':
        case 'a':
        case 'A':
            if (const auto* real = std::get_if<double>(&argument)) {
                return cFormat(stem + parsed.conversion, *real);
            }
            return {};
        default:
            break;
    }
    // "%D", "%U" and "%O" are the long forms of "%d", "%u" and "%o".
    const char conversion = parsed.conversion == 'D'   ? 'd'
                            : parsed.conversion == 'U' ? 'u'
                            : parsed.conversion == 'O' ? 'o'
                                                       : parsed.conversion;
    if (const auto* signedValue = std::get_if<std::int64_t>(&argument)) {
        return cFormat(stem + "ll" + conversion, static_cast<long long>(*signedValue));
    }
    if (const auto* unsignedValue = std::get_if<std::uint64_t>(&argument)) {
        return cFormat(stem + "ll" + conversion, static_cast<unsigned long long>(*unsignedValue));
    }
    return {};
}

}  // namespace

std::string stringWithFormat(std::string_view format,
                             std::initializer_list<FormatArgument> arguments) {
    std::string out;
    out.reserve(format.size() + 16);
    auto next = arguments.begin();
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            out.push_back(format[i]);
            continue;
        }
        if (format.substr(i + 1).starts_with('%')) {
            out.push_back('%');
            ++i;
            continue;
        }
        const auto parsed = parseConversion(format.substr(i));
        if (!parsed) {
            out.push_back('%');  // not a conversion: the '%' and what follows are text
            continue;
        }
        if (next != arguments.end()) {
            out += convert(*parsed, *next++);
        }
        i += parsed->length - 1;
    }
    return out;
}

}  // namespace platform
