#include "platform/linux/smc_keys.h"

#include <algorithm>
#include <limits>
#include <string_view>

#include "platform/smc_param_block.h"

namespace platform::linux_backend::smc_keys {
namespace {

constexpr std::uint32_t kProcessorTemperature = SMCKeyCode("TC0D");
constexpr std::uint32_t kFanCount = SMCKeyCode("FNum");

std::array<std::uint8_t, 2> bigEndian16(std::uint16_t value) {
    return {static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value & 0xFF)};
}

template <std::size_t N>
KeyValue valueOf(std::string_view type, const std::array<std::uint8_t, N>& bytes) {
    KeyValue value;
    value.type = SMCKeyCode(type);
    value.size = N;
    std::ranges::copy(bytes, value.bytes.begin());
    return value;
}

}  // namespace

std::array<std::uint8_t, 2> sp78Bytes(std::int64_t millidegrees) {
    constexpr std::int64_t kSteps = 256;
    constexpr std::int64_t kMilli = 1000;
    // Past the ends of sp78 every reading gives the same bytes: holding it to them first keeps
    // the scaling from overflowing, whatever a broken sensor file says.
    constexpr std::int64_t kBeyondEnds = 129 * kMilli;
    const std::int64_t held = std::clamp(millidegrees, -kBeyondEnds, kBeyondEnds);
    // Floor division: -0.5 degrees is -1 whole degree and a fraction of 128/256.
    const std::int64_t scaled = held * kSteps;
    const std::int64_t steps = scaled / kMilli - (scaled % kMilli < 0 ? 1 : 0);
    const auto clamped = std::clamp<std::int64_t>(steps, std::numeric_limits<std::int16_t>::min(),
                                                  std::numeric_limits<std::int16_t>::max());
    return bigEndian16(static_cast<std::uint16_t>(static_cast<std::int16_t>(clamped)));
}

std::array<std::uint8_t, 2> fpe2Bytes(std::uint32_t rpm) {
    constexpr std::uint64_t kQuarters = 4;
    const std::uint64_t quarters = std::min<std::uint64_t>(
        std::uint64_t{rpm} * kQuarters, std::numeric_limits<std::uint16_t>::max());
    return bigEndian16(static_cast<std::uint16_t>(quarters));
}

std::optional<KeyValue> keyValue(std::uint32_t key, SensorReadings& sensors) {
    if (key == kProcessorTemperature) {
        const auto millidegrees = sensors.processorTemperature();
        return millidegrees ? std::optional(valueOf("sp78", sp78Bytes(*millidegrees)))
                            : std::nullopt;
    }
    if (key == kFanCount) {
        const auto count = std::min<std::size_t>(sensors.fanSpeeds().size(), 0xFF);
        return valueOf("ui8 ", std::array{static_cast<std::uint8_t>(count)});
    }
    if (const int fan = SMCFanOfSpeedKey(key); fan >= 0) {
        const auto& speeds = sensors.fanSpeeds();
        const auto index = static_cast<std::size_t>(fan);
        return index < speeds.size() && speeds[index]
                   ? std::optional(valueOf("fpe2", fpe2Bytes(*speeds[index])))
                   : std::nullopt;
    }
    return std::nullopt;
}

}  // namespace platform::linux_backend::smc_keys
