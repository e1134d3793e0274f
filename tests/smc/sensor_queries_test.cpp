#include "smc/smc_sensor_queries.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>
#include <vector>

#include "platform/linux/smc_keys.h"
#include "tests/smc/smc_test_fixture.h"

namespace {

using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;
using testing_support::ScriptedSMC;
namespace smc_keys = platform::linux_backend::smc_keys;

constexpr std::uint32_t kSp78 = 0x73703738;
constexpr std::uint32_t kUi8 = 0x75693820;
constexpr std::uint32_t kFpe2 = 0x66706532;

// The query that reads `key`: the temperature, the fan count, or the speed of the fan whose key
// it is.
float ask(const std::string& key) {
    const smc::SMCSensorQueries queries;
    return key == "TC0D"   ? queries.get_maintemp()
           : key == "FNum" ? static_cast<float>(queries.get_fan_num())
                           : static_cast<float>(queries.get_fan_rpm(
                                 platform::SMCFanOfSpeedKey(platform::SMCKeyCode(key))));
}

struct Reading {
    std::string key;
    ScriptedSMC::Key value;
    float result;
};

class SensorQueriesTest : public smc_testing::SMCTest,
                          public ::testing::WithParamInterface<Reading> {};

TEST_P(SensorQueriesTest, QueryOpensOnceAndReadsItsKey) {
    driver->keys[GetParam().key] = GetParam().value;
    wireDriver();
    EXPECT_EQ(ask(GetParam().key), GetParam().result);
    EXPECT_EQ(driver->openedTypes.size(), 1u);
    EXPECT_EQ(driver->exchanges.size(), 2u);
}

// Temperatures are whole degrees from the first two bytes whatever the size, and never below 0;
// fan counts are the unsigned value of the reported size; speeds of more than two bytes are
// none. The values the machine's own sensors give are the round trips below.
INSTANTIATE_TEST_SUITE_P(Readings, SensorQueriesTest,
                         ::testing::Values(Reading{"TC0D", {2, kSp78, {0x00, 0xFF}}, 0},
                                           Reading{"TC0D", {2, kSp78, {0xFB, 0x80}}, 0},
                                           Reading{"TC0D", {0, 0, {0x2D, 0x00}}, 45},
                                           Reading{"TC0D", {1, kSp78, {0x2D, 0x40}}, 45},
                                           Reading{"FNum", {1, kUi8, {0xFF}}, 255},
                                           Reading{"FNum", {0, kUi8, {0x02}}, 0},
                                           Reading{"FNum", {2, kUi8, {0x00, 0x03}}, 3},
                                           Reading{"F9Ac", {2, kFpe2, {0x17, 0x73}}, 1500},
                                           Reading{"F10A", {2, kFpe2, {0x0F, 0xA3}}, 1000},
                                           Reading{"F255", {2, kFpe2, {0x80, 0x00}}, 8192},
                                           Reading{"F1Ac", {1, kFpe2, {0x80}}, 32},
                                           Reading{"F1Ac", {3, kFpe2, {0x17, 0x70, 0x00}}, 0},
                                           Reading{"F1Ac", {0, kFpe2, {0x17, 0x70}}, 0}));

TEST_P(SensorQueriesTest, FailedExchangeReadsAsZero) {
    driver->keys[GetParam().key] = GetParam().value;
    wireDriver();
    for (auto* status : {&driver->keyInfoStatus, &driver->readBytesStatus}) {
        *status = platform::kIOReturnError;
        EXPECT_EQ(ask(GetParam().key), 0.0f);
        *status = platform::KERN_SUCCESS;
    }
}

class QueryLimitsTest : public smc_testing::SMCTest {};

// What the machine's stand-in controller encodes from a sensor file, the queries decode back:
// whole degrees rounded down and held to 0..127, whole rpm held to 16383. The captured trees'
// values make the same round trip through the device panel.
TEST_F(QueryLimitsTest, SensorValuesSurviveTheControllersEncoding) {
    wireDriver();
    using Temperature = std::pair<std::int64_t, float>;
    const Temperature temperatures[] = {{45999, 45},     {999, 0},      {-500, 0},
                                        {127999, 127},   {200000, 127}, {LLONG_MIN, 0},
                                        {LLONG_MAX, 127}};
    for (const auto& [millidegrees, degrees] : temperatures) {
        const auto bytes = smc_keys::sp78Bytes(millidegrees);
        driver->keys["TC0D"] = {2, kSp78, {bytes.begin(), bytes.end()}};
        EXPECT_EQ(ask("TC0D"), degrees) << millidegrees;
    }
    using Speed = std::pair<std::uint32_t, float>;
    const Speed speeds[] = {
        {0, 0}, {8192, 8192}, {16383, 16383}, {70000, 16383}, {UINT_MAX, 16383}};
    for (const auto& [rpm, read] : speeds) {
        const auto bytes = smc_keys::fpe2Bytes(rpm);
        driver->keys["F0Ac"] = {2, kFpe2, {bytes.begin(), bytes.end()}};
        EXPECT_EQ(ask("F0Ac"), read) << rpm;
    }
}

TEST_F(QueryLimitsTest, FanIndexWithoutAKeyReadsNothing) {
    wireDriver();
    CaptureStdout();
    for (const int fan : {smc::SMCSensorQueries::kLastFan + 1, -1, INT_MAX, INT_MIN}) {
        EXPECT_EQ(smc::SMCSensorQueries().get_fan_rpm(fan), 0) << fan;
    }
    EXPECT_EQ(GetCapturedStdout(), "");
    EXPECT_TRUE(driver->openedTypes.empty());
}

// Fans 0 to 9 keep their one-digit keys; later fans take the first four characters of the same
// format, so the queries and the machine's stand-in controller agree on every fan's key.
TEST(FanSpeedKeyTest, EveryFanHasAKeyOfItsOwn) {
    const std::pair<int, std::string> keys[] = {{0, "F0Ac"},  {9, "F9Ac"},   {10, "F10A"},
                                                {99, "F99A"}, {100, "F100"}, {999, "F999"}};
    for (const auto& [fan, key] : keys) {
        EXPECT_EQ(platform::SMCFanSpeedKey(fan).data(), key);
    }
    std::set<std::string> distinct;
    for (int fan = 0; fan <= smc::SMCSensorQueries::kLastFan; ++fan) {
        const std::string key = platform::SMCFanSpeedKey(fan).data();
        EXPECT_EQ(platform::SMCFanOfSpeedKey(platform::SMCKeyCode(key)), fan) << key;
        distinct.insert(key);
    }
    EXPECT_EQ(distinct.size(), std::size_t{smc::SMCSensorQueries::kLastFan + 1});
    for (const char* other : {"FNum", "F01A", "F1A", "F0Ad", "G0Ac", "F10c", "TC0D"}) {
        EXPECT_EQ(platform::SMCFanOfSpeedKey(platform::SMCKeyCode(other)), -1) << other;
    }
}

TEST_F(QueryLimitsTest, NoControllerGivesZeroWithOneLineEach) {
    for (const char* key : {"TC0D", "FNum", "F0Ac"}) {
        CaptureStdout();
        EXPECT_EQ(ask(key), 0.0f) << key;
        EXPECT_EQ(GetCapturedStdout(), "Error: no SMC found\n") << key;
    }
}

}  // namespace
