#pragma once

// The sensor controller's user-client protocol: the block that both the driver's stand-in and
// the system's key reads exchange, and how keys and type codes are packed into it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace platform {

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

// The block that travels each way on every exchange with the SMC driver's user client.
// Multi-byte fields are in the host's byte order. The gaps are fields this system neither sets
// nor reads: zero when sent, ignored when returned. A block declared without values is all zero.
struct SMCParamBlock {
    std::uint32_t key = 0;  // the key code (SMCKeyCode)
    std::uint8_t unusedAfterKey[24] = {};
    std::uint32_t dataSize = 0;  // bytes in the key's value
    std::uint32_t dataType = 0;  // the value's type code, packed like a key
    std::uint8_t unusedAfterType[6] = {};
    std::uint8_t command = 0;  // SMCCommandKeyInfo or SMCCommandReadBytes
    std::uint8_t unusedAfterCommand[5] = {};
    std::uint8_t bytes[32] = {};  // the key's value
};

// The driver reads and writes the block by these offsets; the layout is not ours to change.
static_assert(sizeof(SMCParamBlock) == 80);
static_assert(offsetof(SMCParamBlock, key) == 0);
static_assert(offsetof(SMCParamBlock, dataSize) == 28);
static_assert(offsetof(SMCParamBlock, dataType) == 32);
static_assert(offsetof(SMCParamBlock, command) == 42);
static_assert(offsetof(SMCParamBlock, bytes) == 48);

// Asks for the size and type of a key's value; the reply carries dataSize and dataType.
inline constexpr std::uint8_t SMCCommandKeyInfo = 9;
// Asks for dataSize bytes of a key's value; the reply carries them in bytes.
inline constexpr std::uint8_t SMCCommandReadBytes = 5;
// The user-client method that takes one block and gives one back.
inline constexpr std::uint32_t kSMCBlockSelector = 2;

}  // namespace platform
