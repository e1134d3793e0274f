// Texts made from Mac OS Roman and UTF-8 C strings, and copied out again in Mac OS Roman.
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "platform/cfstring.h"
#include "platform/utf8.h"

namespace {

using namespace platform;

// The text's bytes in `encoding` through a buffer with room for exactly them and their zero;
// std::nullopt when the copy is refused.
std::optional<std::string> copiedOut(const CFStringRef& text, std::size_t room,
                                     CFStringEncoding encoding) {
    std::vector<char> buffer(room + 1, '\x7f');
    if (!CFStringGetCString(text, buffer.data(), static_cast<CFIndex>(buffer.size()), encoding)) {
        return std::nullopt;
    }
    return std::string(buffer.data());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // C strings end at their first zero.
    const std::string_view input = fuzz::textOf(data, size);
    const std::string bytes(input.substr(0, input.find('\0')));

    // Every byte is Mac OS Roman: the text is valid UTF-8 and copies back to the same bytes.
    const CFStringRef roman =
        CFStringCreateWithCString(kCFAllocatorDefault, bytes.c_str(), kCFStringEncodingMacRoman);
    fuzz::require(roman != nullptr && decodeUtf8(roman->utf8).has_value(),
                  "Mac OS Roman always decodes, to valid UTF-8");
    fuzz::require(copiedOut(roman, bytes.size(), kCFStringEncodingMacRoman) == bytes,
                  "Mac OS Roman copies back to its own bytes");
    fuzz::require(
        bytes.empty() || !copiedOut(roman, bytes.size() - 1, kCFStringEncodingMacRoman).has_value(),
        "a buffer without room for the zero is refused");

    // As UTF-8 the bytes make a text only when they are well-formed; its Mac OS Roman copy, when
    // there is one, decodes to the same text.
    const CFStringRef utf8 =
        CFStringCreateWithCString(kCFAllocatorDefault, bytes.c_str(), kCFStringEncodingUTF8);
    fuzz::require((utf8 != nullptr) == decodeUtf8(bytes).has_value(),
                  "a UTF-8 text exactly when the bytes are UTF-8");
    if (utf8) {
        if (const auto encoded = copiedOut(utf8, utf8->utf8.size(), kCFStringEncodingMacRoman)) {
            const CFStringRef back = CFStringCreateWithCString(
                kCFAllocatorDefault, encoded->c_str(), kCFStringEncodingMacRoman);
            fuzz::require(back->utf8 == bytes, "a Mac OS Roman copy decodes to the same text");
        }
    }
    return 0;
}
