#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "panels/device/device_view_controller.h"
#include "platform/appkit/ns_image.h"
#include "platform/appkit/ns_menu.h"
#include "platform/appkit/ns_pasteboard.h"
#include "platform/appkit/ns_text_field.h"
#include "platform/iokit.h"
#include "platform/linux/linux_machine.h"
#include "tests/linux/temp_tree.h"
#include "tests/panels/plain_label.h"
#include "tests/support/scripted_laptop.h"
#include "tests/support/scripted_machine.h"
#include "tests/support/scripted_smc.h"
#include "tests/support/scripted_ui.h"

namespace {

using namespace platform;
using testing_support::InstalledMachine;
using testing_support::labelTexts;
using testing_support::ScriptedMachine;
using testing_support::ScriptedSMC;

constexpr std::uint32_t kSp78 = 0x73703738;
constexpr std::uint32_t kUi8 = 0x75693820;
constexpr std::uint32_t kFpe2 = 0x66706532;

ScriptedSMC::Key fanSpeed(int rpm) {
    const int quarters = rpm * 4;
    return {
        2, kFpe2, {static_cast<std::uint8_t>(quarters >> 8), static_cast<std::uint8_t>(quarters)}};
}

class DevicePanelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testing_support::scriptLaptop2012(*machine);
        // Values whose display rounds in a telling way.
        machine->setSysctlUInt64("hw.cpufrequency", 2450000000);
        machine->memory = 1000000000;
        smc->keys["TC0D"] = {2, kSp78, {0x2D, 0x9A}};
        smc->keys["FNum"] = {1, kUi8, {2}};
        smc->keys["F0Ac"] = fanSpeed(2000);
        smc->keys["F1Ac"] = fanSpeed(1995);
        testing_support::installScriptedSMC(*machine, smc);
        ui.screen = std::make_shared<NSScreen>(NSMakeRect(0, 0, 1440, 900), 2.0);
    }

    void TearDown() override { EXPECT_EQ(IOObjectsInUse(), 0u); }

    // The rows of a panel built on the Linux backend over the machine below `root`. Captured
    // machines are compared whole in captured_machine_test.cpp.
    static std::vector<std::string> linuxMachineRows(const std::filesystem::path& root) {
        InstalledMachine installedLinux{std::make_shared<LinuxMachine>(root, 1000)};
        return labelTexts(*DeviceViewController::initWithNibName("Panel400x500", nullptr)->view());
    }

    // The keys the panel read from the sensor controller, in order, once per read.
    std::vector<std::string> keysRead() const {
        std::vector<std::string> keys;
        for (std::size_t i = 0; i < smc->exchanges.size(); i += 2) {
            keys.push_back(smc->exchanges[i].key());
        }
        return keys;
    }

    std::shared_ptr<ScriptedMachine> machine = std::make_shared<ScriptedMachine>();
    std::shared_ptr<ScriptedSMC> smc = std::make_shared<ScriptedSMC>();
    InstalledMachine installed{machine};
    testing_support::ScriptedUserInterface ui;
};

TEST_F(DevicePanelTest, SixteenSubviewsAlternateIconAndLabelWithTheirFrames) {
    const auto panel = DeviceViewController::initWithNibName("Panel400x500", nullptr);
    const auto& subviews = panel->view()->subviews();
    ASSERT_EQ(subviews.size(), 16u);

    const std::vector<std::string> icons = {"cpu.png",   "hz.png",      "memory.png", "os.png",
                                            "model.png", "display.png", "heat.png",   "fan.png"};
    for (int row = 1; row <= 8; ++row) {
        SCOPED_TRACE(row);
        const auto icon = std::dynamic_pointer_cast<NSImageView>(subviews[2 * (row - 1)]);
        const auto label = std::dynamic_pointer_cast<NSTextField>(subviews[2 * (row - 1) + 1]);
        ASSERT_TRUE(icon && label);
        const double y = 500 - (40 + 40 * row);
        EXPECT_EQ(icon->frame(), NSMakeRect(30, y, 30, 30));
        EXPECT_EQ(label->frame(), NSMakeRect(80, y, row == 1 ? 320 : 400, 30));
        ASSERT_TRUE(icon->image());
        EXPECT_EQ(icon->image()->name(), icons[row - 1]);
        expectPlainLabel(*label, 14.0);
    }
}

TEST_F(DevicePanelTest, RealPanelKeepsEveryRowInside) {
    const auto panel = DeviceViewController::initWithNibName("DeviceViewController", nullptr);
    const auto view = panel->view();
    ASSERT_EQ(view->subviews().size(), 16u);
    EXPECT_EQ(view->subviews()[15]->frame(),
              NSMakeRect(80, view->frame().height - 360, view->frame().width, 30));
    EXPECT_GE(view->frame().height - 360, 0);
}

// For a support request, the context menu (whose key, Ctrl+C, is the window's 编辑 menu's, which
// sends the same action) copies the eight rows, one a line, as they were built: not read back from
// the labels, which may show them shortened or be changed by whatever reaches the widgets.
TEST_F(DevicePanelTest, RowsShowTheMachineAndCopyPutsThemOnTheClipboardAsBuilt) {
    const auto panel = DeviceViewController::initWithNibName("DeviceViewController", nullptr);
    const auto view = panel->view();
    const std::vector<std::string> rows = {
        "CPU型号：Intel Core i7",
        "CPU频率：2.4GHz * 4",
        "内存：0.9G",
        "系统版本：Ubuntu 18.04 (4.15.0-213-generic)",
        "型号：MacBookPro10,1",
        "分辨率：2880*1800 (高清屏)",
        "CPU温度：45摄氏度",
        "风扇数：2 当前转速：左 2000 右 1995",
    };
    EXPECT_EQ(labelTexts(*view), rows);
    // The sensors are read after the display row, temperature first, then count, fan 0, fan 1.
    EXPECT_EQ(keysRead(), (std::vector<std::string>{"TC0D", "FNum", "F0Ac", "F1Ac"}));

    ASSERT_NE(view->menu(), nullptr);
    ASSERT_EQ(view->menu()->items().size(), 1u);
    const auto& copy = *view->menu()->items().front();
    EXPECT_EQ(copy.title(), "复制");
    EXPECT_EQ(copy.keyEquivalent(), "");
    for (const auto& subview : view->subviews()) {
        if (const auto label = std::dynamic_pointer_cast<NSTextField>(subview)) {
            label->setStringValue("changed");
        }
    }
    NSPasteboard::generalPasteboard().setString("");
    copy.sendAction();
    std::string expected;
    for (const std::string& row : rows) {
        expected += row + "\n";
    }
    EXPECT_EQ(NSPasteboard::generalPasteboard().string(), expected);
}

TEST_F(DevicePanelTest, AbsentValuesReadAsUnknownOrZero) {
    // A machine that tells nothing: no kernel values, no registry, no sensors, no screen.
    InstalledMachine bare{std::make_shared<ScriptedMachine>()};
    ui.screen = nullptr;

    const auto panel = DeviceViewController::initWithNibName("DeviceViewController", nullptr);
    EXPECT_EQ(labelTexts(*panel->view()), (std::vector<std::string>{
                                              "CPU型号：未知",
                                              "CPU频率：0.0GHz * 未知",
                                              "内存：0.0G",
                                              "系统版本：未知",
                                              "型号：未知",
                                              "分辨率：0*0 (非高清屏)",
                                              "CPU温度：未检测到",
                                              "风扇数：0（未检测到风扇）",
                                          }));
}

struct FanCase {
    int count;
    std::vector<std::string> expectedKeys;
    std::string expectedText;
};

class FanRow : public DevicePanelTest, public ::testing::WithParamInterface<FanCase> {};

// Two fans, the set-up's, are the rows test's.
TEST_P(FanRow, QueriesOnlyTheFansItShows) {
    smc->keys["FNum"] = {1, kUi8, {static_cast<std::uint8_t>(GetParam().count)}};
    smc->keys["F2Ac"] = fanSpeed(2400);
    smc->keys["F10A"] = fanSpeed(3300);
    const auto panel = DeviceViewController::initWithNibName("DeviceViewController", nullptr);
    smc->exchanges.clear();
    EXPECT_EQ(panel->getFanInfo(), GetParam().expectedText);
    EXPECT_EQ(keysRead(), GetParam().expectedKeys);
}

INSTANTIATE_TEST_SUITE_P(
    Counts, FanRow,
    ::testing::Values(
        FanCase{0, {"FNum", "F0Ac"}, "风扇数：0（未检测到风扇）"},
        FanCase{1, {"FNum", "F0Ac"}, "风扇数：1 当前转速：2000"},
        FanCase{3, {"FNum", "F0Ac", "F1Ac", "F2Ac"}, "风扇数：3 当前转速：2000、1995、2400"},
        // An eleventh fan has a key of its own and its speed shows.
        FanCase{11,
                {"FNum", "F0Ac", "F1Ac", "F2Ac", "F3Ac", "F4Ac", "F5Ac", "F6Ac", "F7Ac", "F8Ac",
                 "F9Ac", "F10A"},
                "风扇数：11 当前转速：2000、1995、2400、0、0、0、0、0、0、0、3300"}));

TEST_F(DevicePanelTest, ALaterPanelReadsEverythingAgain) {
    const auto first = DeviceViewController::initWithNibName("DeviceViewController", nullptr);
    first->view();
    smc->keys["TC0D"] = {2, kSp78, {50, 0}};
    const auto second = DeviceViewController::initWithNibName("DeviceViewController", nullptr);
    second->view();
    EXPECT_EQ(labelTexts(*first->view())[6], "CPU温度：45摄氏度");
    EXPECT_EQ(labelTexts(*second->view())[6], "CPU温度：50摄氏度");
}

// A server's fan board: every fan the machine reports shows, the eleventh and twelfth too.
TEST_F(DevicePanelTest, EveryFanOfAServerShows) {
    linux_test::TempTree tree;
    tree.file("/sys/class/hwmon/hwmon2/name", "nct7904");
    std::string expected = "风扇数：12 当前转速：";
    for (int fan = 1; fan <= 12; ++fan) {
        const std::string rpm = std::to_string(9000 + 100 * fan);
        tree.file("/sys/class/hwmon/hwmon2/fan" + std::to_string(fan) + "_input", rpm);
        expected += (fan == 1 ? "" : "、") + rpm;
    }
    const auto rows = linuxMachineRows(tree.root());
    ASSERT_EQ(rows.size(), 8u);
    EXPECT_EQ(rows[7], expected);
}

// A fan chip makes a sensor controller, but no temperature source: the row says so in words.
TEST_F(DevicePanelTest, AFanWithoutATemperatureSourceIsNotZeroDegrees) {
    linux_test::TempTree tree;
    tree.files("/sys/class/hwmon/hwmon0/", "name=dell_smm;fan1_input=2400;fan2_input");
    const auto rows = linuxMachineRows(tree.root());
    ASSERT_EQ(rows.size(), 8u);
    EXPECT_EQ(rows[6], "CPU温度：未检测到");
    // The second fan did not read this time: it keeps its number and shows 0.
    EXPECT_EQ(rows[7], "风扇数：2 当前转速：左 2400 右 0");
}

}  // namespace
