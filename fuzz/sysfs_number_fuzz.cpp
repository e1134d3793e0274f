// The numbers of sysfs and /proc files: decimal readings (hwmon millidegrees and rpm, cpufreq
// kHz), hexadecimal sizes (memory block_size_bytes), decimal fractions (clocks) and MemTotal,
// and temperatures in the form the stand-in SMC reports them.
#include <algorithm>
#include <charconv>
#include <limits>
#include <string>

#include "fuzz/fuzz_input.h"
#include "platform/linux/memory_size.h"
#include "platform/linux/smc_keys.h"
#include "platform/linux/text_fields.h"

namespace {

using namespace platform::linux_backend;

template <typename Number>
std::string written(Number value, int base) {
    char digits[72];
    const auto end = std::to_chars(digits, digits + sizeof digits, value, base).ptr;
    return std::string(digits, end);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::textOf(data, size);

    if (const auto value = parseUnsigned(text)) {
        fuzz::require(parseUnsigned(written(*value, 10)) == value, "decimal reads back");
        // MemTotal is in KiB: a size too large for 64 bits of bytes is no size, not a wrapped one.
        const auto bytes = memTotalBytes("MemTotal: " + written(*value, 10) + " kB\n");
        const bool fits = *value <= std::numeric_limits<std::uint64_t>::max() / 1024;
        fuzz::require(fits ? bytes == *value * 1024 : !bytes.has_value(),
                      "MemTotal in bytes, or absent when it does not fit");
    }
    if (const auto value = parseUnsigned(text, 16)) {
        fuzz::require(parseUnsigned("0x" + written(*value, 16), 16) == value, "hex reads back");
    }
    if (const auto value = parseSigned(text)) {
        fuzz::require(parseSigned(written(*value, 10)) == value, "signed decimal reads back");
        // As a hwmon temperature the reading becomes the stand-in controller's sp78 value: its
        // 1/256 degrees rounded down, held to what 16 bits can say.
        const auto sp78 = platform::linux_backend::smc_keys::sp78Bytes(*value);
        const auto steps = static_cast<std::int16_t>((sp78[0] << 8) | sp78[1]);
        const __int128 scaled = static_cast<__int128>(*value) * 256;
        const __int128 floored = scaled / 1000 - (scaled % 1000 < 0 ? 1 : 0);
        fuzz::require(steps == std::clamp<__int128>(floored, -32768, 32767),
                      "a temperature is its 1/256 degrees rounded down, held to 16 bits");
    }
    // Kilohertz, megahertz and gigahertz texts scaled to hertz keep their whole part.
    std::uint64_t scale = 1;
    for (unsigned fractionDigits = 0; fractionDigits <= 9; fractionDigits += 3) {
        if (const auto scaled = parseScaledDecimal(text, fractionDigits)) {
            fuzz::require(parseScaledDecimal(text, 0) == *scaled / scale,
                          "scaling keeps the whole part");
        }
        scale *= 1000;
    }
    memTotalBytes(text);
    return 0;
}
