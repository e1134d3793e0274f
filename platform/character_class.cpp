#include "platform/character_class.h"

#include <locale.h>
#include <wctype.h>

#include <string_view>

#include "platform/ascii.h"

namespace platform {
namespace {

constexpr char32_t kFirstNonAscii = 0x80;

// A locale object of its own, so that the classes never depend on the process's global locale.
locale_t unicodeCharacterTypes() {
    static const locale_t types = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
    return types;
}

}  // namespace

bool isAlphanumeric(char32_t c) {
    if (c < kFirstNonAscii) {
        return isAsciiLetter(c) || isAsciiDigit(c);
    }
    // glibc's wchar_t holds the code point itself in every locale (__STDC_ISO_10646__).
    const locale_t types = unicodeCharacterTypes();
    return types != locale_t{} && iswalnum_l(static_cast<wint_t>(c), types) != 0;
}

bool isPunctuation(char32_t c) {
    constexpr std::u32string_view kAsciiPunctuation = U"!\"#%&'()*,-./:;?@[\\]_{}";
    return kAsciiPunctuation.find(c) != std::u32string_view::npos;
}

}  // namespace platform
