#include "platform/format.h"

#include <locale.h>

#include <cstdio>
#include <string>

namespace platform {
namespace {

constexpr std::string_view kAbsent = "(null)";

bool isConversion(char c) {
    return std::string_view("@dDiuxXfFeEgGsc").find(c) != std::string_view::npos;
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

// Formats one numeric or C-string conversion with the C library, which knows every flag.
template <typename T>
std::string cFormat(const std::string& conversionText, T value) {
    const CNumbers cNumbers;
    const int length = std::snprintf(nullptr, 0, conversionText.c_str(), value);
    if (length <= 0) {
        return {};
    }
    std::string out(static_cast<std::size_t>(length) + 1, '\0');
    std::snprintf(out.data(), out.size(), conversionText.c_str(), value);
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

// `conversionText` is the conversion as written, flags and length modifiers included, e.g. "%08x".
std::string convert(std::string conversionText, char conversion, const FormatArgument& argument) {
    if (conversion == '@') {
        return objectText(argument);
    }
    // Normalise the length modifier to the width of the value actually passed.
    const auto stem = conversionText.find_first_of("hlLqjzt");
    if (stem != std::string::npos) {
        conversionText.erase(stem, conversionText.size() - 1 - stem);
    }
    const std::string body = conversionText.substr(0, conversionText.size() - 1);
    switch (conversion) {
        case 's':
            if (const auto* text = std::get_if<const char*>(&argument)) {
                return *text != nullptr ? cFormat(conversionText, *text) : std::string(kAbsent);
            }
            return {};
        case 'f':
        case 'F':
        case 'e':
        case 'E':
        case 'g':
        case 'G':
            if (const auto* real = std::get_if<double>(&argument)) {
                return cFormat(conversionText, *real);
            }
            return {};
        default:
            break;
    }
    if (const auto* signedValue = std::get_if<std::int64_t>(&argument)) {
        return cFormat(body + "ll" + conversion, static_cast<long long>(*signedValue));
    }
    if (const auto* unsignedValue = std::get_if<std::uint64_t>(&argument)) {
        return cFormat(body + "ll" + conversion, static_cast<unsigned long long>(*unsignedValue));
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
        if (i + 1 < format.size() && format[i + 1] == '%') {
            out.push_back('%');
            ++i;
            continue;
        }
        std::size_t end = i + 1;
        while (end < format.size() && !isConversion(format[end])) {
            ++end;
        }
        if (end == format.size()) {
            out.append(format.substr(i));
            break;
        }
        if (next != arguments.end()) {
            out += convert(std::string(format.substr(i, end - i + 1)), format[end], *next++);
        }
        i = end;
    }
    return out;
}

}  // namespace platform
