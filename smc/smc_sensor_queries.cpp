#include "smc/smc_sensor_queries.h"

#include <cstdint>

#include "smc/smc_decode.h"
#include "smc/smc_driver.h"

namespace smc {
namespace {

constexpr unsigned int kFanSpeedFractionBits = 2;

// Opens a connection of its own, reads `key` into *val and closes again. False when the driver
// could not be opened. The read's status is not looked at: a failed exchange leaves the size
// or the bytes zero, and every reading decodes those as 0.
bool readKey(const char* key, SMCKeyValue* val) {
    platform::io_connect_t conn;
    if (SMCOpenDriver(&conn) != 0) {
        return false;
    }
    SMCFetchKey(key, val, conn);
    SMCCloseDriver(std::move(conn));
    return true;
}

}  // namespace

float SMCSensorQueries::get_maintemp() const {
    SMCKeyValue val;
    if (!readKey("TC0D", &val)) {
        return 0.0f;
    }
    // The reading is in 1/256 degrees in the first two bytes, whatever size the key reports.
    // The arithmetic shift floors and the division truncates; together they leave the whole
    // degrees of any reading at or above 0.
    const auto hi = static_cast<std::int8_t>(val.bytes[0]);
    const std::uint8_t lo = val.bytes[1];
    const std::int32_t x = hi * 256 + lo;
    const auto degrees = static_cast<float>((x >> 2) / 64);
    return degrees > 0.0f ? degrees : 0.0f;
}

int SMCSensorQueries::get_fan_num() const {
    SMCKeyValue val;
    if (!readKey("FNum", &val)) {
        return 0;
    }
    return static_cast<int>(SMCDecodeUnsigned(val.bytes, static_cast<int>(val.dataSize)));
}

int SMCSensorQueries::get_fan_rpm(int fan) const {
    if (fan < 0 || fan > kLastFan) {
        return 0;
    }
    SMCKeyValue val;
    if (!readKey(platform::SMCFanSpeedKey(fan).data(), &val)) {
        return 0;
    }
    // A speed key is of type fpe2: unsigned fixed point, 14 whole bits and 2 fraction bits
    // ("fp" types are unsigned, "sp" types signed). SMCDecodeFixed reads its first byte signed,
    // which would turn fans at 8192 rpm and faster negative; reading the value unsigned and
    // dropping the quarters gives every speed up to 16383 rpm true.
    const int size = static_cast<int>(val.dataSize);
    if (size > 2) {
        return 0;
    }
    return static_cast<int>(SMCDecodeUnsigned(val.bytes, size) >> kFanSpeedFractionBits);
}

}  // namespace smc
