#include <gtest/gtest.h>

#include "panels/lookup/serial_number_view_controller.h"
#include "platform/appkit/ns_text_field.h"
#include "platform/iokit.h"
#include "tests/support/scripted_machine.h"
#include "tests/support/scripted_ui.h"

namespace {

using namespace platform;
using testing_support::bodyText;
using testing_support::InstalledMachine;
using testing_support::ScriptedMachine;
using testing_support::ScriptedUserInterface;

constexpr const char* kLookupURL = "http://127.0.0.1:47180/inapp.php";

class LookupPanelTest : public ::testing::Test {
  protected:
    // Loads a new panel that was given `typed` (or nothing) before its view was asked for.
    std::shared_ptr<SerialNumberViewController> showPanel(std::optional<std::string> typed) {
        auto panel =
            SerialNumberViewController::initWithNibName("SerialNumberViewController", nullptr);
        if (typed) {
            panel->setSerialNumber(typed);
        }
        panel->view();
        return panel;
    }

    // The lines of the notice on the panel, top to bottom; empty when there is none.
    static std::vector<std::string> noticeOn(SerialNumberViewController& panel) {
        std::vector<std::string> lines;
        for (const auto& subview : panel.view()->subviews()) {
            if (const auto label = std::dynamic_pointer_cast<NSTextField>(subview)) {
                lines.push_back(label->stringValue());
            }
        }
        return lines;
    }

    void TearDown() override { EXPECT_EQ(IOObjectsInUse(), 0u); }

    std::shared_ptr<ScriptedMachine> machine = std::make_shared<ScriptedMachine>();
    InstalledMachine installed{machine};
    ScriptedUserInterface ui;
};

class TypedSerial : public LookupPanelTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(TypedSerial, IsPostedUnchangedAndTheRegistryIsNeverRead) {
    machine->addRegistryEntry("IOPlatformExpertDevice", {{"IOPlatformSerialNumber", "OWN"}});
    const auto panel = showPanel(GetParam());

    ASSERT_EQ(ui.loads.size(), 1u);
    EXPECT_EQ(ui.loads[0].HTTPMethod(), "POST");
    EXPECT_EQ(ui.loads[0].URL().absoluteString(), kLookupURL);
    EXPECT_EQ(bodyText(ui.loads[0]), "sn=" + GetParam());
    EXPECT_EQ(machine->registryQueries["IOPlatformExpertDevice"], 0);
    EXPECT_TRUE(ui.logLines.empty());
    EXPECT_TRUE(noticeOn(*panel).empty());
}

INSTANTIATE_TEST_SUITE_P(Serials, TypedSerial,
                         ::testing::Values("C02JX0XXDRVC", "C02 JX0 XXD", "A&B=C", " lead trail ",
                                           std::string(38, 'S'), std::string(60, 'L'),
                                           "序列号-ünï"));

TEST_F(LookupPanelTest, EmptyTypedSerialPostsNothingAndSaysSo) {
    machine->addRegistryEntry("IOPlatformExpertDevice", {{"IOPlatformSerialNumber", "OWN"}});
    const auto panel = showPanel("");
    EXPECT_TRUE(ui.loads.empty());
    EXPECT_EQ(ui.logLines, std::vector<std::string>{"send keyword nil"});
    EXPECT_EQ(machine->registryQueries["IOPlatformExpertDevice"], 0);
    EXPECT_FALSE(panel->myProgress()->isAnimating());
    EXPECT_EQ(noticeOn(*panel),
              (std::vector<std::string>{"搜索框是空的，没有可查询的序列号。",
                                        "请在工具栏的搜索框中输入序列号，然后按回车键查询。",
                                        "序列号印在机身底部或背面的标签上，也可以在包装盒或购"
                                        "买凭证上找到。"}));
}

struct OwnSerialCase {
    const char* name;
    bool hasDevice;
    std::map<std::string, std::string> properties;
    std::vector<std::string> expectedLog;
    std::optional<std::string> expectedBody;  // none: nothing posted, a notice instead
    std::string expectedNotice = "";
};

class OwnSerial : public LookupPanelTest, public ::testing::WithParamInterface<OwnSerialCase> {};

TEST_P(OwnSerial, ComesFromTheRegistry) {
    const OwnSerialCase& c = GetParam();
    if (c.hasDevice) {
        machine->addRegistryEntry("IOPlatformExpertDevice", c.properties);
    }
    const auto panel = showPanel(std::nullopt);
    EXPECT_EQ(ui.logLines, c.expectedLog);
    if (c.expectedBody) {
        ASSERT_EQ(ui.loads.size(), 1u);
        EXPECT_EQ(bodyText(ui.loads[0]), *c.expectedBody);
        EXPECT_TRUE(noticeOn(*panel).empty());
    } else {
        EXPECT_TRUE(ui.loads.empty());
        ASSERT_FALSE(noticeOn(*panel).empty());
        EXPECT_EQ(noticeOn(*panel).front(), c.expectedNotice);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OwnSerial,
    ::testing::Values(
        OwnSerialCase{"Plain",
                      true,
                      {{"IOPlatformSerialNumber", "W80123456789"}},
                      {"序列号 W80123456789"},
                      "sn=W80123456789"},
        // "unknown" is logged but not looked up: the panel says why there is no serial number.
        OwnSerialCase{"NoProperty",
                      true,
                      {},
                      {"序列号 unknown"},
                      std::nullopt,
                      "未能读取本机的序列号：固件中没有序列号记录。"},
        OwnSerialCase{"NoDevice",
                      false,
                      {},
                      {"序列号 ", "send keyword nil"},
                      std::nullopt,
                      "未能读取本机的序列号：本机的固件没有提供机器信息。"},
        // Too long for the 39 bytes the copy may use: looked up whole, not cut short.
        OwnSerialCase{"Long",
                      true,
                      {{"IOPlatformSerialNumber", std::string(45, '7')}},
                      {"序列号 " + std::string(45, '7')},
                      "sn=" + std::string(45, '7')},
        OwnSerialCase{"NotMacRoman",
                      true,
                      {{"IOPlatformSerialNumber", "机器42"}},
                      {"序列号 机器42"},
                      "sn=机器42"},
        OwnSerialCase{
            "MacRoman", true, {{"IOPlatformSerialNumber", "café"}}, {"序列号 café"}, "sn=café"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LookupPanelTest, IndicatorSpinsFromStartToFinish) {
    const auto panel = showPanel("C02JX0XXDRVC");
    auto& webView = *panel->myWebView();
    ASSERT_EQ(webView.frameLoadDelegate(), panel);

    webView.frameLoadDelegate()->webViewDidStartProvisionalLoadForFrame(webView,
                                                                        webView.mainFrame());
    EXPECT_TRUE(panel->myProgress()->isAnimating());
    webView.frameLoadDelegate()->webViewDidFinishLoadForFrame(webView, webView.mainFrame());
    EXPECT_FALSE(panel->myProgress()->isAnimating());
    EXPECT_EQ(ui.logLines, std::vector<std::string>{"finish load"});
    EXPECT_TRUE(ui.alerts.empty());
}

TEST_F(LookupPanelTest, FailureBeforeContentStopsTheIndicatorLogsAndAlerts) {
    const auto panel = showPanel("C02JX0XXDRVC");
    auto& webView = *panel->myWebView();
    const NSError refused{"NSURLErrorDomain", -1004, "Could not connect to the server."};
    panel->webViewDidStartProvisionalLoadForFrame(webView, webView.mainFrame());
    panel->webViewDidFailProvisionalLoadWithErrorForFrame(webView, refused, webView.mainFrame());

    EXPECT_FALSE(panel->myProgress()->isAnimating());
    EXPECT_EQ(ui.logLines,
              (std::vector<std::string>{"did fail load",
                                        "error is Error Domain=NSURLErrorDomain Code=-1004 "
                                        "\"Could not connect to the server.\""}));
    EXPECT_EQ(ui.alerts,
              std::vector<std::string>{"连接苹果服务器时出错，请检查一下网络，稍后重试"});
}

TEST_F(LookupPanelTest, AMissingWebEngineIsNotCalledANetworkFailure) {
    const auto panel = showPanel("C02JX0XXDRVC");
    auto& webView = *panel->myWebView();
    panel->webViewDidFailProvisionalLoadWithErrorForFrame(
        webView, NSError{kWebEngineErrorDomain, kWebEngineMissing, "no module"},
        webView.mainFrame());
    EXPECT_EQ(ui.alerts,
              std::vector<std::string>{"内置浏览器组件缺失，无法显示查询结果，请重新安装本程序"});
}

TEST_F(LookupPanelTest, FailureAfterContentStopsTheIndicatorWithoutAlert) {
    const auto panel = showPanel("C02JX0XXDRVC");
    auto& webView = *panel->myWebView();
    panel->webViewDidStartProvisionalLoadForFrame(webView, webView.mainFrame());
    panel->webViewDidFailLoadWithErrorForFrame(webView, NSError{"NSURLErrorDomain", -1005, "lost"},
                                               webView.mainFrame());
    EXPECT_FALSE(panel->myProgress()->isAnimating());
    EXPECT_EQ(ui.logLines.front(), "did fail load");
    EXPECT_TRUE(ui.alerts.empty());
}

}  // namespace
