#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "platform/linux/sensor_readings.h"

// The SMC keys that the stand-in controller answers, and how their values are encoded: as on
// the controller, multi-byte values are big-endian.
namespace platform::linux_backend::smc_keys {

// One key's value as the controller reports it.
struct KeyValue {
    std::uint32_t type = 0;  // packed like a key, such as "sp78"
    std::uint32_t size = 0;  // how many of `bytes` hold the value
    std::array<std::uint8_t, 32> bytes{};
};

// The value of `key` (a key code, "TC0D" is 0x54433044) now: "TC0D" (sp78, the processor
// temperature), "FNum" (ui8, how many fans, at most 255) and each fan's speed key
// (SMCFanSpeedKey: "F0Ac", ..., "F10A", ...; fpe2, the current speed of that fan in the order
// of fan_speeds.h, so fan numbers agree with "FNum" even while one fan does not read). std::nullopt
// for any other key, and when the sensor behind it is missing or does not read now.
std::optional<KeyValue> keyValue(std::uint32_t key, SensorReadings& sensors);

// sp78: a signed 16-bit value in 1/256 degrees, so the first byte is the whole degrees and the
// second the fraction. Rounded down, so the whole degrees are those of the reading; readings
// beyond -128 and 127.996 degrees give the nearest end.
std::array<std::uint8_t, 2> sp78Bytes(std::int64_t millidegrees);

// fpe2: an unsigned 16-bit value in quarters (14 whole bits, 2 fraction bits); faster fans
// give 16383.75 rpm, the most it holds.
std::array<std::uint8_t, 2> fpe2Bytes(std::uint32_t rpm);

}  // namespace platform::linux_backend::smc_keys
