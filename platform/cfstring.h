#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// An immutable Unicode text, held as UTF-8.
struct CFString {
    std::string utf8;
};
// The sole owner of a text; null for none. Whoever holds it owns the text: CFRelease frees it,
// and so does the owner going out of scope unreleased. Moving it hands the text on.
using CFStringRef = std::unique_ptr<const CFString>;

using CFIndex = long;
// The default allocator, accepted for the callers' sake; there is only one.
using CFAllocatorRef = const void*;
inline constexpr CFAllocatorRef kCFAllocatorDefault = nullptr;
using CFStringEncoding = std::uint32_t;
inline constexpr CFStringEncoding kCFStringEncodingMacRoman = 0;
inline constexpr CFStringEncoding kCFStringEncodingUTF8 = 0x08000100;

// Writes `string` into `buffer` in `encoding` with a terminating zero, using at most
// `bufferSize` bytes. Returns false, and writes nothing, when the string is null, a character
// has no code in the encoding, or the text and its zero do not fit.
bool CFStringGetCString(const CFStringRef& string, char* buffer, CFIndex bufferSize,
                        CFStringEncoding encoding);

// A new text made from the zero-terminated `cString` in `encoding`; null when the bytes are not
// valid in that encoding (every byte is valid Mac OS Roman).
CFStringRef CFStringCreateWithCString(CFAllocatorRef allocator, const char* cString,
                                      CFStringEncoding encoding);

// Frees the text that `string` owns; nothing for null.
void CFRelease(CFStringRef string);

}  // namespace platform
