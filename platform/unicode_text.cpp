#include "platform/unicode_text.h"

#include "platform/utf8.h"

namespace platform {
namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;

// The character that starts at `text`'s first byte, which must exist.
Utf8Character characterAt(std::string_view text) {
    return firstUtf8Character(text).value_or(Utf8Character{kReplacementCharacter, 1});
}

}  // namespace

std::vector<std::string> componentsSeparatedBy(std::string_view text, CharacterClass isSeparator) {
    std::vector<std::string> parts(1);
    while (!text.empty()) {
        const Utf8Character next = characterAt(text);
        if (isSeparator(next.point)) {
            parts.emplace_back();
        } else {
            parts.back().append(text.substr(0, next.length));
        }
        text.remove_prefix(next.length);
    }
    return parts;
}

char32_t firstCharacter(std::string_view text) {
    return text.empty() ? U'\0' : characterAt(text).point;
}

}  // namespace platform
