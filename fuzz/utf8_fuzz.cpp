// UTF-8 decoding of any bytes, and encoding of the code points read from them.
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "platform/utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = fuzz::textOf(data, size);
    if (const auto points = platform::decodeUtf8(bytes)) {
        std::string encoded;
        for (const char32_t point : *points) {
            platform::appendUtf8(encoded, point);
        }
        fuzz::require(encoded == bytes, "well-formed UTF-8 encodes back to its own bytes");
    }

    // Every scalar value, taken three bytes at a time, survives encoding and decoding.
    std::vector<char32_t> points;
    std::string encoded;
    for (std::size_t i = 0; i + 3 <= size; i += 3) {
        const char32_t point = ((data[i] << 16) | (data[i + 1] << 8) | data[i + 2]) % 0x110000;
        if (point < 0xD800 || point > 0xDFFF) {
            points.push_back(point);
            platform::appendUtf8(encoded, point);
        }
    }
    fuzz::require(platform::decodeUtf8(encoded) == points, "encoded scalar values decode back");
    return 0;
}
