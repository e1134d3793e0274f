#include "panels/device/device_row_texts.h"

#include <gtest/gtest.h>

#include <clocale>
#include <optional>
#include <string>

#include "platform/format.h"

namespace {

using namespace device_panel;
using Text = std::optional<std::string>;
using Count = std::optional<std::uint64_t>;

// Sets LC_NUMERIC to de_DE.UTF-8, which writes "2,6", for its lifetime.
class CommaDecimalLocale {
  public:
    CommaDecimalLocale() : previous_(std::setlocale(LC_NUMERIC, nullptr)) {
        active_ = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    }
    ~CommaDecimalLocale() { std::setlocale(LC_NUMERIC, previous_.c_str()); }
    bool active() const { return active_; }

  private:
    std::string previous_;
    bool active_ = false;
};

struct ClockCase {
    Text speed;
    Count cores;
    std::string expected;
};

class ClockRow : public ::testing::TestWithParam<ClockCase> {};

TEST_P(ClockRow, ShowsGigahertzAfterThreeSinglePrecisionDivisions) {
    EXPECT_EQ(clockRowText(GetParam().speed, GetParam().cores), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ClockRow,
    ::testing::Values(ClockCase{"2600000000", 4, "CPU频率：2.6GHz * 4"},
                      // Rounding after each division decides the digit at these two clocks.
                      ClockCase{"2450000000", 2, "CPU频率：2.4GHz * 2"},
                      ClockCase{"2550000000", 2, "CPU频率：2.6GHz * 2"},
                      ClockCase{"2096016000", 2, "CPU频率：2.1GHz * 2"},
                      ClockCase{std::nullopt, 8, "CPU频率：0.0GHz * 8"},
                      ClockCase{"fast", std::nullopt, "CPU频率：0.0GHz * 未知"},
                      ClockCase{"  3000000000", 16, "CPU频率：3.0GHz * 16"}));

// The panel tests show each row present and absent (and the clock, memory and screen rows of
// the machines they script); an empty text is not an absent one.
TEST(DeviceRowTexts, AnEmptyTextIsShownEmptyNotAsUnknown) {
    EXPECT_EQ(processorRowText(""), "CPU型号：");
}

TEST(DeviceRowTexts, TemperatureInWholeDegreesOrNotDetected) {
    EXPECT_EQ(temperatureRowText(45.0f), "CPU温度：45摄氏度");
    EXPECT_EQ(temperatureRowText(1.0f), "CPU温度：1摄氏度");
    // The query's failure value: no sensor answered.
    EXPECT_EQ(temperatureRowText(0.0f), "CPU温度：未检测到");
}

// The application object takes LC_NUMERIC from the environment; the rows are fixed texts.
TEST(DeviceRowTexts, NumbersKeepTheirPointUnderACommaLocale) {
    const CommaDecimalLocale locale;
    if (!locale.active()) {
        GTEST_SKIP() << "de_DE.UTF-8 is not generated here (scripts/install-deps.sh makes it)";
    }
    EXPECT_EQ(clockRowText("2600000000", 4), "CPU频率：2.6GHz * 4");
    EXPECT_EQ(memoryRowText("8589934592"), "内存：8.0G");
    EXPECT_EQ(floatValue("2.5"), 2.5f);
    EXPECT_EQ(floatValue(" +1e3 rpm"), 1000.0f);
    EXPECT_EQ(floatValue("2,5"), 2.0f);
    EXPECT_EQ(platform::stringWithFormat("CPU温度:%f", {platform::arg(45.0)}), "CPU温度:45.000000");
}

}  // namespace
