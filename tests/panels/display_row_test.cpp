// The display row on the screens people have: scaled by whole and fractional factors, where
// the points are a fraction of the screen's own pixels.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "panels/device/device_view_controller.h"
#include "tests/support/scripted_machine.h"
#include "tests/support/scripted_ui.h"

namespace {

using namespace platform;
using testing_support::InstalledMachine;
using testing_support::ScriptedMachine;
using testing_support::ScriptedUserInterface;

struct ScreenCase {
    const char* name;
    const char* model;  // null: the machine names none
    std::optional<NSScreen> screen;
    const char* expected;
};

class DisplayRow : public ::testing::TestWithParam<ScreenCase> {
  protected:
    std::shared_ptr<ScriptedMachine> machine = std::make_shared<ScriptedMachine>();
    InstalledMachine installed{machine};
    ScriptedUserInterface ui;
};

TEST_P(DisplayRow, ShowsTheScreensOwnPixelsWhenItIsHighDensity) {
    const ScreenCase& c = GetParam();
    if (c.model) {
        machine->setSysctlText("hw.model", c.model);
    }
    if (c.screen) {
        ui.screen = std::make_shared<NSScreen>(*c.screen);
    }
    const auto panel = DeviceViewController::initWithNibName("DeviceViewController", nullptr);
    EXPECT_EQ(panel->getScreen(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Screens, DisplayRow,
    ::testing::Values(
        // X11 at Xft.dpi 192: the RandR mode is the screen's pixels.
        ScreenCase{"UhdAt2", "Linux",
                   NSScreen(NSMakeRect(0, 0, 1920, 1080), 2.0, NSMakeRect(0, 0, 3840, 2160)),
                   "3840*2160 (高清屏)"},
        // X11 at Xft.dpi 144: 2560 / 1.5 rounds to 1707 points, which multiply back to 2561.
        ScreenCase{"QhdAt1_5", "Linux",
                   NSScreen(NSMakeRect(0, 0, 1707, 960), 1.5, NSMakeRect(0, 0, 2560, 1440)),
                   "2560*1440 (高清屏)"},
        // Wayland at a whole scale: points times the scale are the pixels.
        ScreenCase{"WaylandAt2", "Linux", NSScreen(NSMakeRect(0, 0, 1280, 900), 2.0),
                   "2560*1800 (高清屏)"},
        // The two known models show their own panels' figures in any scaled mode; models are
        // named exactly, and an unknown or unnamed one shows the screen's pixels.
        ScreenCase{"KnownModel", "MacBookPro10,2", NSScreen(NSMakeRect(0, 0, 1440, 900), 2.0),
                   "2560*1600 (高清屏)"},
        ScreenCase{"OtherKnownModel", "MacBookPro10,1",
                   NSScreen(NSMakeRect(0, 0, 1920, 1080), 1.25), "2880*1800 (高清屏)"},
        ScreenCase{"ModelInOtherCase", "macbookpro10,1",
                   NSScreen(NSMakeRect(0, 0, 1920, 1080), 1.25), "2400*1350 (高清屏)"},
        ScreenCase{"NoModel", nullptr, NSScreen(NSMakeRect(0, 0, 1280, 800), 2.0),
                   "2560*1600 (高清屏)"},
        ScreenCase{"Standard", "Linux", NSScreen(NSMakeRect(0, 0, 1920, 1080), 1.0),
                   "1920*1080 (非高清屏)"},
        // A standard screen's row stays in points, also for a listed model.
        ScreenCase{"StandardKnownModel", "MacBookPro10,1",
                   NSScreen(NSMakeRect(0, 0, 1440, 900), 1.0), "1440*900 (非高清屏)"},
        ScreenCase{"NoScreen", "Linux", std::nullopt, "0*0 (非高清屏)"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ScreenBacking, ConvertsOtherRectanglesByTheScreensOwnRatio) {
    const NSScreen screen(NSMakeRect(0, 0, 1707, 960), 1.5, NSMakeRect(0, 0, 2560, 1440));
    EXPECT_EQ(screen.convertRectToBacking(screen.frame()), NSMakeRect(0, 0, 2560, 1440));
    const NSRect half = screen.convertRectToBacking(NSMakeRect(0, 0, 1707 / 2.0, 480));
    EXPECT_DOUBLE_EQ(half.width, 1280);
    EXPECT_DOUBLE_EQ(half.height, 720);
}

}  // namespace
