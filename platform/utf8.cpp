#include "platform/utf8.h"

#include <cstdint>

namespace platform {

std::size_t utf8SequenceLength(char lead) {
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

std::optional<std::vector<char32_t>> decodeUtf8(std::string_view bytes) {
    // The smallest code point that needs a sequence of each length: anything less is overlong.
    constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    std::vector<char32_t> points;
    points.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<std::uint8_t>(bytes[i]);
        const std::size_t length = utf8SequenceLength(bytes[i]);
        if (length == 1 && lead >= 0x80) {
            return std::nullopt;
        }
        if (i + length > bytes.size()) {
            return std::nullopt;
        }
        // The lead byte keeps the bits below its length marker: 7 for ASCII, then 5, 4 and 3.
        char32_t point = length == 1 ? lead : lead & (0x7Fu >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<std::uint8_t>(bytes[i + k]);
            if ((next & 0xC0) != 0x80) {
                return std::nullopt;
            }
            point = (point << 6) | (next & 0x3F);
        }
        if (point < kSmallest[length] || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) {
            return std::nullopt;
        }
        points.push_back(point);
        i += length;
    }
    return points;
}

std::optional<Utf8Character> firstUtf8Character(std::string_view text) {
    if (text.empty()) {
        return std::nullopt;
    }
    const std::size_t length = utf8SequenceLength(text.front());
    if (length > text.size()) {
        return std::nullopt;
    }
    const auto points = decodeUtf8(text.substr(0, length));
    if (!points || points->size() != 1) {
        return std::nullopt;
    }
    return Utf8Character{points->front(), length};
}

void appendUtf8(std::string& text, char32_t point) {
    if (point < 0x80) {
        text.push_back(static_cast<char>(point));
    } else if (point < 0x800) {
        text.push_back(static_cast<char>(0xC0 | (point >> 6)));
        text.push_back(static_cast<char>(0x80 | (point & 0x3F)));
    } else if (point < 0x10000) {
        text.push_back(static_cast<char>(0xE0 | (point >> 12)));
        text.push_back(static_cast<char>(0x80 | ((point >> 6) & 0x3F)));
        text.push_back(static_cast<char>(0x80 | (point & 0x3F)));
    } else {
        text.push_back(static_cast<char>(0xF0 | (point >> 18)));
        text.push_back(static_cast<char>(0x80 | ((point >> 12) & 0x3F)));
        text.push_back(static_cast<char>(0x80 | ((point >> 6) & 0x3F)));
        text.push_back(static_cast<char>(0x80 | (point & 0x3F)));
    }
}

}  // namespace platform
