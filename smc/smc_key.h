#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace smc {

// The key code of `key`: its first four characters, the first in the most significant byte
// ("TC0D" is 0x54433044). Keys have four characters; missing ones count as zero bytes.
constexpr std::uint32_t SMCKeyCode(std::string_view key) {
    std::uint32_t code = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const auto byte = i < key.size() ? static_cast<std::uint8_t>(key[i]) : std::uint8_t{0};
        code = (code << 8) | byte;
    }
    return code;
}

// The NUL-terminated text of a type code: its bytes from the most significant on, up to the
// first zero byte (0x66706532 is "fpe2", 0 is "").
constexpr std::array<char, 5> SMCTypeText(std::uint32_t code) {
    std::array<char, 5> text = {};
    for (std::size_t i = 0; i < 4; ++i) {
        const auto byte = static_cast<char>((code >> (24 - 8 * i)) & 0xFF);
        if (byte == '\0') {
            break;
        }
        text[i] = byte;
    }
    return text;
}

}  // namespace smc
