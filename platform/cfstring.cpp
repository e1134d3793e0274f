#include "platform/cfstring.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

#include "platform/utf8.h"

namespace platform {
namespace {

// Code points of the Mac OS Roman bytes 0x80 to 0xFF (the lower half is ASCII).
constexpr std::array<char32_t, 128> kMacRomanHighHalf = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1, 0x00E0, 0x00E2, 0x00E4, 0x00E3,
    0x00E5, 0x00E7, 0x00E9, 0x00E8, 0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3,
    0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC, 0x2020, 0x00B0, 0x00A2, 0x00A3,
    0x00A7, 0x2022, 0x00B6, 0x00DF, 0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8,
    0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211, 0x220F, 0x03C0, 0x222B, 0x00AA,
    0x00BA, 0x03A9, 0x00E6, 0x00F8, 0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB,
    0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153, 0x2013, 0x2014, 0x201C, 0x201D,
    0x2018, 0x2019, 0x00F7, 0x25CA, 0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02,
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1, 0x00CB, 0x00C8, 0x00CD, 0x00CE,
    0x00CF, 0x00CC, 0x00D3, 0x00D4, 0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC,
    0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,
};

std::optional<std::string> encodeMacRoman(std::string_view utf8) {
    const auto points = decodeUtf8(utf8);
    if (!points) {
        return std::nullopt;
    }
    std::string encoded;
    encoded.reserve(points->size());
    for (const char32_t point : *points) {
        if (point < 0x80) {
            encoded.push_back(static_cast<char>(point));
            continue;
        }
        const auto found = std::find(kMacRomanHighHalf.begin(), kMacRomanHighHalf.end(), point);
        if (found == kMacRomanHighHalf.end()) {
            return std::nullopt;
        }
        encoded.push_back(static_cast<char>(0x80 + (found - kMacRomanHighHalf.begin())));
    }
    return encoded;
}

std::optional<std::string> encode(std::string_view utf8, CFStringEncoding encoding) {
    switch (encoding) {
        case kCFStringEncodingMacRoman:
            return encodeMacRoman(utf8);
        case kCFStringEncodingUTF8:
            return std::string(utf8);
        default:
            return std::nullopt;
    }
}

std::string decodeMacRoman(std::string_view bytes) {
    std::string utf8;
    utf8.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto code = static_cast<unsigned char>(byte);
        const char32_t point = code < 0x80 ? code : kMacRomanHighHalf[code - 0x80];
        appendUtf8(utf8, point);
    }
    return utf8;
}

}  // namespace

CFStringRef CFStringCreateWithCString(CFAllocatorRef /*allocator*/, const char* cString,
                                      CFStringEncoding encoding) {
    if (cString == nullptr) {
        return nullptr;
    }
    const std::string_view bytes(cString);
    switch (encoding) {
        case kCFStringEncodingMacRoman:
            return std::make_unique<const CFString>(CFString{decodeMacRoman(bytes)});
        case kCFStringEncodingUTF8:
            if (!decodeUtf8(bytes)) {
                return nullptr;
            }
            return std::make_unique<const CFString>(CFString{std::string(bytes)});
        default:
            return nullptr;
    }
}

bool CFStringGetCString(const CFStringRef& string, char* buffer, CFIndex bufferSize,
                        CFStringEncoding encoding) {
    if (!string || buffer == nullptr || bufferSize <= 0) {
        return false;
    }
    const auto encoded = encode(string->utf8, encoding);
    if (!encoded || encoded->size() >= static_cast<std::size_t>(bufferSize)) {
        return false;
    }
    std::memcpy(buffer, encoded->c_str(), encoded->size() + 1);
    return true;
}

void CFRelease(CFStringRef string) {
    string.reset();
}

}  // namespace platform
