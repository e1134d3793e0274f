// libFuzzer entry point: the escaper that every client-sent byte passes through on its way to
// the log. Whatever comes in, what goes out is valid UTF-8 with no control or bidirectional
// format character left, and bounded by the limit it was given.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_input.h"
#include "platform/utf8.h"
#include "service/log_escape.h"

namespace {

bool isForbidden(char32_t point) {
    return point < 0x20 || (point >= 0x7F && point <= 0x9F) || point == 0x061C || point == 0x200E ||
           point == 0x200F || (point >= 0x202A && point <= 0x202E) ||
           (point >= 0x2066 && point <= 0x2069);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    // The first byte chooses the limit, so that cuts fall anywhere, inside characters too.
    const std::size_t limit = data[0];
    const std::string_view bytes = fuzz::textOf(data + 1, size - 1);
    std::string line;
    quelmarn::service::appendEscapedForLog(line, bytes, limit);
    const auto points = platform::decodeUtf8(line);
    fuzz::require(points.has_value(), "the log line is valid UTF-8");
    for (const char32_t point : *points) {
        fuzz::require(!isForbidden(point), "no control or bidirectional format character");
    }
    // Each byte taken becomes at most "\u{HHHH}" spread over its character, or "\xHH".
    fuzz::require(line.size() <= 4 * std::min(limit, bytes.size()) + 3,
                  "the line is bounded by the limit");
    return 0;
}
