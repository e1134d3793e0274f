#include "smc/smc_sensor_queries.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "tests/smc/smc_test_fixture.h"

namespace {

using smc::SMCSensorQueries;
using smc_testing::SMCTest;
using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;
using testing_support::ScriptedSMC;

constexpr std::uint32_t kSp78 = 0x73703738;
constexpr std::uint32_t kUi8 = 0x75693820;
constexpr std::uint32_t kFpe2 = 0x66706532;

class SensorQueriesTest : public SMCTest {
  protected:
    // The keys each exchange named, in order.
    std::vector<std::string> keysAsked() const {
        std::vector<std::string> keys;
        for (const auto& exchange : driver->exchanges) {
            keys.push_back(exchange.key());
        }
        return keys;
    }

    const SMCSensorQueries queries{};
};

struct Reading {
    ScriptedSMC::Key key;
    float value;
};

class TemperatureTest : public SensorQueriesTest, public ::testing::WithParamInterface<Reading> {};

TEST_P(TemperatureTest, WholeDegreesFromTheFirstTwoBytes) {
    driver->keys["TC0D"] = GetParam().key;
    wireDriver();
    EXPECT_EQ(queries.get_maintemp(), GetParam().value);
    EXPECT_EQ(keysAsked(), (std::vector<std::string>{"TC0D", "TC0D"}));
    EXPECT_EQ(driver->openedTypes.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Readings, TemperatureTest,
                         ::testing::Values(Reading{{2, kSp78, {0x2D, 0x00}}, 45.0f},
                                           Reading{{2, kSp78, {0x2D, 0x9A}}, 45.0f},
                                           Reading{{2, kSp78, {0x00, 0xFF}}, 0.0f},
                                           Reading{{2, kSp78, {0xFB, 0x80}}, 0.0f},
                                           Reading{{2, kSp78, {0x80, 0x00}}, 0.0f},
                                           Reading{{2, kSp78, {0x7F, 0xFF}}, 127.0f},
                                           Reading{{0, 0, {0x2D, 0x00}}, 45.0f},
                                           Reading{{1, kSp78, {0x2D, 0x40}}, 45.0f}));

class FanCountTest : public SensorQueriesTest, public ::testing::WithParamInterface<Reading> {};

TEST_P(FanCountTest, UnsignedOfTheReportedSize) {
    driver->keys["FNum"] = GetParam().key;
    wireDriver();
    EXPECT_EQ(queries.get_fan_num(), static_cast<int>(GetParam().value));
    EXPECT_EQ(keysAsked(), (std::vector<std::string>{"FNum", "FNum"}));
}

INSTANTIATE_TEST_SUITE_P(Readings, FanCountTest,
                         ::testing::Values(Reading{{1, kUi8, {0x02}}, 2},
                                           Reading{{1, kUi8, {0xFF}}, 255},
                                           Reading{{0, kUi8, {0x02}}, 0},
                                           Reading{{2, kUi8, {0x00, 0x03}}, 3}));

class FanSpeedTest : public SensorQueriesTest, public ::testing::WithParamInterface<Reading> {};

TEST_P(FanSpeedTest, QuartersAreDropped) {
    driver->keys["F1Ac"] = GetParam().key;
    wireDriver();
    EXPECT_EQ(queries.get_fan_rpm(1), static_cast<int>(GetParam().value));
}

INSTANTIATE_TEST_SUITE_P(Readings, FanSpeedTest,
                         ::testing::Values(Reading{{2, kFpe2, {0x17, 0x70}}, 1500},
                                           Reading{{2, kFpe2, {0x17, 0x73}}, 1500},
                                           Reading{{2, kFpe2, {0x80, 0x00}}, -8192},
                                           Reading{{0, kFpe2, {0x17, 0x70}}, 0}));

TEST_F(SensorQueriesTest, FanIndexNamesTheKey) {
    wireDriver();
    for (const int fan : {0, 9}) {
        queries.get_fan_rpm(fan);
    }
    EXPECT_EQ(keysAsked(), (std::vector<std::string>{"F0Ac", "F0Ac", "F9Ac", "F9Ac"}));
}

TEST_F(SensorQueriesTest, FanIndexWithoutAKeyReadsNothing) {
    wireDriver();
    CaptureStdout();
    for (const int fan : {10, -1, INT_MAX, INT_MIN}) {
        EXPECT_EQ(queries.get_fan_rpm(fan), 0) << fan;
    }
    EXPECT_EQ(GetCapturedStdout(), "");
    EXPECT_TRUE(driver->openedTypes.empty());
    EXPECT_TRUE(driver->exchanges.empty());
}

TEST_F(SensorQueriesTest, NoControllerGivesZeroWithOneLineEach) {
    CaptureStdout();
    EXPECT_EQ(queries.get_maintemp(), 0.0f);
    EXPECT_EQ(GetCapturedStdout(), "Error: no SMC found\n");
    CaptureStdout();
    EXPECT_EQ(queries.get_fan_num(), 0);
    EXPECT_EQ(GetCapturedStdout(), "Error: no SMC found\n");
    CaptureStdout();
    EXPECT_EQ(queries.get_fan_rpm(0), 0);
    EXPECT_EQ(GetCapturedStdout(), "Error: no SMC found\n");
}

TEST_F(SensorQueriesTest, FailedExchangesReadAsZero) {
    driver->keys["TC0D"] = {2, kSp78, {0x2D, 0x00}};
    driver->keys["FNum"] = {1, kUi8, {0x02}};
    driver->keys["F0Ac"] = {2, kFpe2, {0x17, 0x70}};
    wireDriver();
    for (auto* status : {&driver->keyInfoStatus, &driver->readBytesStatus}) {
        *status = platform::kIOReturnError;
        EXPECT_EQ(queries.get_maintemp(), 0.0f);
        EXPECT_EQ(queries.get_fan_num(), 0);
        EXPECT_EQ(queries.get_fan_rpm(0), 0);
        *status = platform::KERN_SUCCESS;
    }
    EXPECT_EQ(driver->openedTypes.size(), 6u);
}

// The delegate and the device panel both take their readings from the one base.
struct DelegateLike : SMCSensorQueries {};
struct PanelLike : SMCSensorQueries {};

TEST_F(SensorQueriesTest, EveryOwnerReadsTheSame) {
    driver->keys["TC0D"] = {2, kSp78, {0x33, 0x10}};
    driver->keys["FNum"] = {1, kUi8, {0x02}};
    driver->keys["F1Ac"] = {2, kFpe2, {0x0F, 0xA3}};
    wireDriver();
    const DelegateLike delegate{};
    const PanelLike panel{};
    EXPECT_EQ(delegate.get_maintemp(), panel.get_maintemp());
    EXPECT_EQ(delegate.get_fan_num(), panel.get_fan_num());
    EXPECT_EQ(delegate.get_fan_rpm(1), panel.get_fan_rpm(1));
    EXPECT_EQ(panel.get_fan_rpm(1), 1000);
}

}  // namespace
