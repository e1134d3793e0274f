#include "shell/app_delegate.h"

#include <gtest/gtest.h>

#include <QMainWindow>

#include "platform/appkit/ns_pasteboard.h"
#include "platform/appkit/ns_text_field.h"
#include "platform/iokit.h"
#include "platform/qt/native_bridge.h"
#include "tests/support/scripted_laptop.h"
#include "tests/support/scripted_machine.h"
#include "tests/support/scripted_smc.h"
#include "tests/support/scripted_ui.h"

namespace {

using namespace platform;
using testing_support::bodyText;
using testing_support::InstalledMachine;
using testing_support::ScriptedMachine;
using testing_support::ScriptedSMC;
using testing_support::ScriptedUserInterface;

class AppDelegateTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testing_support::scriptLaptop2012(*machine);

        auto* mainWindow = new QMainWindow;
        mainWindow->setCentralWidget(new QWidget);
        mainWindow->resize(480, 400);
        window = NativeBridge::wrapWindow(*mainWindow);
        searchField = NSTextField::initWithFrame(NSMakeRect(0, 0, 200, 24));
        searchBox = std::make_shared<NSToolbarItem>(searchField);
        delegate->setWindow(window);
        delegate->setSearchBox(searchBox);
    }

    void TearDown() override {
        delegate.reset();
        EXPECT_EQ(IOObjectsInUse(), 0u);
    }

    void launch() {
        delegate->applicationDidFinishLaunching();
        ui.logLines.clear();
    }

    // The panel views now in the window's content view.
    const std::vector<std::shared_ptr<NSView>>& shownPanels() const {
        return window->contentView()->subviews();
    }

    std::shared_ptr<ScriptedMachine> machine = std::make_shared<ScriptedMachine>();
    InstalledMachine installed{machine};
    ScriptedUserInterface ui;
    std::shared_ptr<NSWindow> window;
    std::shared_ptr<NSTextField> searchField;
    std::shared_ptr<NSToolbarItem> searchBox;
    std::shared_ptr<AppDelegate> delegate = std::make_shared<AppDelegate>();
};

TEST_F(AppDelegateTest, LaunchLogsElevenLinesBeforeThePanelExists) {
    std::vector<bool> panelExisted;
    installLogSink([&](const std::string& line) {
        ui.logLines.push_back(line);
        panelExisted.push_back(delegate->deviceViewController() != nullptr);
    });
    testing::internal::CaptureStdout();
    delegate->applicationDidFinishLaunching();
    const std::string printed = testing::internal::GetCapturedStdout();

    EXPECT_EQ(ui.logLines, (std::vector<std::string>{
                               "CPU: Intel Core i7",
                               "CPU 速度: 2300000000",
                               "CPU 数量: 4",
                               "内存: 8589934592",
                               "系统: Linux",
                               "系统版本: Ubuntu 18.04 (4.15.0-213-generic)",
                               "UUID 9F3C6E0A-52B1-4C8E-9D0F-2A7B1E6C4D33",
                               "机器型号 MacBookPro10,1",
                               "CPU温度:0.000000",
                               "the fan num is 0",
                               "the fan speed is 0",
                           }));
    EXPECT_EQ(panelExisted, std::vector<bool>(11, false));
    // Without a sensor controller the launch still ends with the device panel in the window.
    EXPECT_NE(printed.find("Error: no SMC found"), std::string::npos);
    ASSERT_EQ(shownPanels().size(), 1u);
    EXPECT_EQ(shownPanels()[0], delegate->currentPanelView());
    EXPECT_EQ(delegate->currentPanelView(), delegate->deviceViewController()->view());
}

TEST_F(AppDelegateTest, LaunchLogsSensorReadingsAndAbsentValues) {
    auto smc = std::make_shared<ScriptedSMC>();
    smc->keys["TC0D"] = {2, 0x73703738, {0x2D, 0x40}};
    smc->keys["FNum"] = {1, 0x75693820, {2}};
    smc->keys["F0Ac"] = {2, 0x66706532, {0x1F, 0x40}};
    testing_support::installScriptedSMC(*machine, smc);
    machine->removeSysctl("hw.cpufrequency");
    machine->removeSysctl("hw.model");
    delegate->applicationDidFinishLaunching();
    EXPECT_EQ(ui.logLines[1], "CPU 速度: (null)");
    EXPECT_EQ(ui.logLines[7], "机器型号 (null)");
    EXPECT_EQ(ui.logLines[8], "CPU温度:45.000000");
    EXPECT_EQ(ui.logLines[9], "the fan num is 2");
    EXPECT_EQ(ui.logLines[10], "the fan speed is 2000");
}

TEST_F(AppDelegateTest, ReopenBringsBackAHiddenWindowOnly) {
    launch();
    window->close();
    ASSERT_FALSE(window->isVisible());

    EXPECT_TRUE(delegate->applicationShouldHandleReopenHasVisibleWindows(
        NSApplication::sharedApplication(), true));
    EXPECT_FALSE(window->isVisible());

    EXPECT_TRUE(delegate->applicationShouldHandleReopenHasVisibleWindows(
        NSApplication::sharedApplication(), false));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(shownPanels()[0], delegate->currentPanelView());

    // The command brings back the same window, with the panel it showed.
    const auto panel = delegate->currentPanelView();
    window->close();
    delegate->reOpenTheMainWindow(nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(delegate->currentPanelView(), panel);
}

// A panel shown again is made anew, releasing the last one; other kinds stay held.
TEST_F(AppDelegateTest, ShowingAPanelReplacesTheShownOne) {
    launch();
    const std::weak_ptr<DeviceViewController> first = delegate->deviceViewController();
    const std::weak_ptr<NSView> firstView = delegate->currentPanelView();
    delegate->showDeviceInfo(nullptr);
    EXPECT_TRUE(first.expired());
    EXPECT_TRUE(firstView.expired());
    delegate->showQuelmarn(nullptr);
    const auto about = delegate->aboutViewController();
    EXPECT_EQ(shownPanels()[0], about->view());
    delegate->showDeviceInfo(nullptr);
    EXPECT_EQ(delegate->aboutViewController(), about);
    EXPECT_EQ(about->view()->superview(), nullptr);
    ASSERT_EQ(shownPanels().size(), 1u);
    EXPECT_EQ(shownPanels()[0], delegate->deviceViewController()->view());
}

// The window's 编辑 → 复制 (Ctrl+C) reaches the panel shown: the device panel copies its rows,
// the about panel answers nothing and the clipboard stays as it was.
TEST_F(AppDelegateTest, CopyIsThePanelShown) {
    launch();
    NSPasteboard::generalPasteboard().setString("before");
    EXPECT_TRUE(delegate->performAction("copy:", nullptr));
    EXPECT_EQ(NSPasteboard::generalPasteboard().string(),
              delegate->deviceViewController()->summaryText());
    EXPECT_NE(delegate->deviceViewController()->summaryText(), "");

    delegate->showQuelmarn(nullptr);
    NSPasteboard::generalPasteboard().setString("before");
    EXPECT_FALSE(delegate->performAction("copy:", nullptr));
    EXPECT_EQ(NSPasteboard::generalPasteboard().string(), "before");
}

struct SearchBoxCase {
    const char* name;
    std::optional<std::string> typed;  // none: the search box is gone
    std::optional<std::string> expectedBody;
    std::vector<std::string> expectedLog;
};

class SearchBox : public AppDelegateTest, public ::testing::WithParamInterface<SearchBoxCase> {};

// The text reaches the panel before it loads; only a gone box makes it read its own serial.
TEST_P(SearchBox, GivesThePanelItsTextOrNone) {
    const SearchBoxCase& c = GetParam();
    launch();
    if (c.typed) {
        searchField->setStringValue(*c.typed);
    } else {
        searchBox.reset();
    }
    delegate->searchByPrintSerialNumber(nullptr);
    if (c.expectedBody) {
        ASSERT_EQ(ui.loads.size(), 1u);
        EXPECT_EQ(bodyText(ui.loads[0]), *c.expectedBody);
    } else {
        EXPECT_TRUE(ui.loads.empty());
    }
    EXPECT_EQ(ui.logLines, c.expectedLog);
    EXPECT_EQ(shownPanels()[0], delegate->serialNumberViewController()->view());
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, SearchBox,
    ::testing::Values(SearchBoxCase{"Typed", "C02 A&B=C", "sn=C02 A&B=C", {}},
                      SearchBoxCase{"Empty", "", std::nullopt, {"send keyword nil"}},
                      SearchBoxCase{
                          "Gone", std::nullopt, "sn=C02J1234DKQ1", {"序列号 C02J1234DKQ1"}}),
    [](const auto& info) { return std::string(info.param.name); });

// With no browser to hand the help page to, the user is told so and given its address.
TEST_F(AppDelegateTest, HelpOpensTheHelpPageInTheBrowserOrGivesItsAddress) {
    const std::string help = "http://127.0.0.1:47180/kb/HT1349?viewlocale=zh_CN";
    delegate->showHelpPage(nullptr);
    EXPECT_EQ(ui.openedURLs, std::vector<std::string>{help});
    EXPECT_TRUE(ui.alerts.empty());

    ui.browserAvailable = false;
    delegate->showHelpPage(nullptr);
    EXPECT_EQ(ui.alerts, std::vector<std::string>{"没有找到可以打开帮助页面的浏览器"});
    ASSERT_EQ(ui.alertDetails.size(), 1u);
    EXPECT_TRUE(ui.alertDetails[0].ends_with("\n" + help)) << ui.alertDetails[0];
}

// The lookup command posts the machine's own serial number, whatever the search box holds.
TEST_F(AppDelegateTest, ActionsAreSentByName) {
    launch();
    searchField->setStringValue("typed but not used");
    const std::vector<std::pair<std::string, std::function<bool()>>> actions = {
        {"showQuelmarn:", [&] { return delegate->aboutViewController() != nullptr; }},
        {"SearchBySerialNumber:",
         [&] { return ui.loads.size() == 1 && bodyText(ui.loads[0]) == "sn=C02J1234DKQ1"; }},
        {"showHelpPage:", [&] { return ui.openedURLs.size() == 1; }},
    };
    for (const auto& [selector, happened] : actions) {
        SCOPED_TRACE(selector);
        EXPECT_TRUE(delegate->performAction(selector, nullptr));
        EXPECT_TRUE(happened());
    }
    EXPECT_FALSE(delegate->performAction("launchRockets:", nullptr));
}

}  // namespace
