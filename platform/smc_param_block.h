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

// The last fan that has a speed key. The count key "FNum" holds at most 255 fans.
inline constexpr int SMCLastFan = 999;

// The NUL-terminated key of the current speed of fan `fan` (0 to SMCLastFan): the first four
// characters of "F%dAc", so fans 0 to 9 have "F0Ac" to "F9Ac", fans 10 to 99 "F10A" to "F99A"
// and fans 100 to 999 "F100" to "F999". No two fans share a key.
constexpr std::array<char, 5> SMCFanSpeedKey(int fan) {
    std::array<char, 5> key = {'F'};
    std::size_t at = 1;
    for (int unit = fan >= 100 ? 100 : fan >= 10 ? 10 : 1; unit > 0; unit /= 10) {
        key[at++] = static_cast<char>('0' + fan / unit % 10);
    }
    for (const char c : {'A', 'c'}) {
        if (at < 4) {
            key[at++] = c;
        }
    }
    return key;
}

// The fan whose speed key has the code `key` (SMCKeyCode of SMCFanSpeedKey); -1 for any other
// key, "FNum" and "F01A" included.
constexpr int SMCFanOfSpeedKey(std::uint32_t key) {
    int fan = 0;
    for (int shift = 16; shift >= 0; shift -= 8) {
        const auto c = static_cast<char>((key >> shift) & 0xFF);
        if (c < '0' || c > '9') {
            break;
        }
        fan = fan * 10 + (c - '0');
    }
    const auto candidate = SMCFanSpeedKey(fan);
    return SMCKeyCode(std::string_view(candidate.data(), 4)) == key ? fan : -1;
}

static_assert(SMCFanOfSpeedKey(SMCKeyCode("F0Ac")) == 0);
static_assert(SMCFanOfSpeedKey(SMCKeyCode("F10A")) == 10);
static_assert(SMCFanOfSpeedKey(SMCKeyCode("F999")) == 999);

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
