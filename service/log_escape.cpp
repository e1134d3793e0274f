#include "service/log_escape.h"

#include <cstdio>

#include "platform/utf8.h"

namespace quelmarn::service {

namespace {

bool isBidiFormat(char32_t point) {
    return point == 0x061C || point == 0x200E || point == 0x200F ||
           (point >= 0x202A && point <= 0x202E) || (point >= 0x2066 && point <= 0x2069);
}

void appendHex(std::string& line, const char* format, unsigned value) {
    char escaped[16];
    const int length = std::snprintf(escaped, sizeof escaped, format, value);
    line.append(escaped, static_cast<std::size_t>(length));
}

}  // namespace

void appendEscapedForLog(std::string& line, std::string_view bytes, std::size_t maxBytes) {
    std::size_t at = 0;
    while (at < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[at]);
        const std::optional<platform::Utf8Character> character =
            platform::firstUtf8Character(bytes.substr(at));
        const std::size_t length = character ? character->length : 1;
        if (at + length > maxBytes) {
            line += "...";
            return;
        }
        if (!character) {
            appendHex(line, "\\x%02X", lead);
        } else if (const char32_t c = character->point; c < 0x20 || c == 0x7F) {
            appendHex(line, "\\x%02X", static_cast<unsigned>(c));
        } else if ((c >= 0x80 && c <= 0x9F) || isBidiFormat(c)) {
            appendHex(line, "\\u{%04X}", static_cast<unsigned>(c));
        } else if (c == '\\') {
            line += "\\\\";
        } else {
            line.append(bytes.substr(at, length));
        }
        at += length;
    }
}

}  // namespace quelmarn::service
