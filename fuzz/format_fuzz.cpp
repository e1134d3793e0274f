// The printf-style formatter over any format, with two arguments of every kind (present and
// absent objects, C strings, signed, unsigned and extreme real numbers) for it to take in turn.
#include <cmath>
#include <limits>
#include <string>

#include "fuzz/fuzz_input.h"
#include "platform/format.h"

namespace {

using platform::FormatArgument;

const std::initializer_list<FormatArgument> kArguments = {
    std::optional<std::string>("Intel Core i7"),
    std::optional<std::uint64_t>(8589934592),
    "C02JX0XXDRVC",
    std::int64_t{-2},
    std::uint64_t{0xe00002c2},
    2.45,
    std::optional<std::string>(),
    std::optional<std::uint64_t>(),
    static_cast<const char*>(nullptr),
    std::numeric_limits<std::int64_t>::min(),
    std::numeric_limits<std::uint64_t>::max(),
    -std::numeric_limits<double>::max(),
    std::nan(""),
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view format = fuzz::textOf(data, size);
    platform::stringWithFormat(format, kArguments);

    // With every '%' doubled there is no conversion left: the text comes back as it was.
    std::string literal;
    for (const char c : format) {
        literal += c;
        if (c == '%') {
            literal += '%';
        }
    }
    fuzz::require(platform::stringWithFormat(literal, kArguments) == format,
                  "a format without conversions is its own text");
    return 0;
}
