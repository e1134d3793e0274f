#include "sysinfo/unicode_text.h"

#include <cstdint>

#include "platform/utf8.h"

namespace sysinfo {
namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;

// How many bytes the sequence that `lead` begins claims to have.
std::size_t sequenceLength(char lead) {
    const auto byte = static_cast<std::uint8_t>(lead);
    if ((byte & 0xE0) == 0xC0) {
        return 2;
    }
    if ((byte & 0xF0) == 0xE0) {
        return 3;
    }
    if ((byte & 0xF8) == 0xF0) {
        return 4;
    }
    return 1;
}

struct Character {
    char32_t point;
    std::size_t length;  // bytes it takes in the text
};

// The character that starts at `text`'s first byte, which must exist.
Character characterAt(std::string_view text) {
    const std::size_t length = sequenceLength(text.front());
    if (length <= text.size()) {
        const auto points = platform::decodeUtf8(text.substr(0, length));
        if (points && points->size() == 1) {
            return {points->front(), length};
        }
    }
    return {kReplacementCharacter, 1};
}

}  // namespace

std::vector<std::string> componentsSeparatedBy(std::string_view text, CharacterClass isSeparator) {
    std::vector<std::string> parts(1);
    while (!text.empty()) {
        const Character next = characterAt(text);
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

}  // namespace sysinfo
