#include <gtest/gtest.h>

#include "panels/lookup/serial_number_view_controller.h"
#include "platform/appkit/ns_text_field.h"
#include "platform/appkit/web_engine.h"
#include "platform/iokit.h"
#include "tests/support/scripted_machine.h"
#include "tests/support/scripted_ui.h"

namespace {

using namespace platform;
using testing_support::bodyText;
using testing_support::InstalledMachine;
using testing_support::labelTexts;
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
        // In a window's content, as the shell puts it.
        content->addSubview(panel->view());
        return panel;
    }

    void TearDown() override { EXPECT_EQ(IOObjectsInUse(), 0u); }

    std::shared_ptr<NSView> content = NSView::initWithFrame(NSMakeRect(0, 0, 640, 480));
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
    EXPECT_TRUE(labelTexts(*panel->view()).empty());
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
    EXPECT_EQ(labelTexts(*panel->view()),
              (std::vector<std::string>{"搜索框是空的，没有可查询的序列号。",
                                        "请在工具栏的搜索框中输入序列号，然后按回车键查询。",
                                        "序列号印在机身底部或背面的标签上，也可以在包装盒或购"
                                        "买凭证上找到。"}));
}

class OwnSerial : public LookupPanelTest, public ::testing::WithParamInterface<std::string> {};

// Longer than the 39 bytes the copy may use, or not in MacRoman: still looked up whole.
TEST_P(OwnSerial, IsReadFromTheRegistryAndPostedWhole) {
    machine->addRegistryEntry("IOPlatformExpertDevice", {{"IOPlatformSerialNumber", GetParam()}});
    const auto panel = showPanel(std::nullopt);
    EXPECT_EQ(ui.logLines, std::vector<std::string>{"序列号 " + GetParam()});
    ASSERT_EQ(ui.loads.size(), 1u);
    EXPECT_EQ(bodyText(ui.loads[0]), "sn=" + GetParam());
    EXPECT_TRUE(labelTexts(*panel->view()).empty());
}

INSTANTIATE_TEST_SUITE_P(Serials, OwnSerial,
                         ::testing::Values("W80123456789", std::string(45, '7'), "机器42", "café"));

struct NoOwnSerialCase {
    bool hasDevice;
    std::vector<std::string> expectedLog;
    std::string expectedNotice;
};

class NoOwnSerial : public LookupPanelTest,
                    public ::testing::WithParamInterface<NoOwnSerialCase> {};

// "unknown" is logged but not looked up: the panel says why there is no serial number.
TEST_P(NoOwnSerial, PostsNothingAndSaysWhy) {
    if (GetParam().hasDevice) {
        machine->addRegistryEntry("IOPlatformExpertDevice", {});
    }
    const auto panel = showPanel(std::nullopt);
    EXPECT_EQ(ui.logLines, GetParam().expectedLog);
    EXPECT_TRUE(ui.loads.empty());
    ASSERT_FALSE(labelTexts(*panel->view()).empty());
    EXPECT_EQ(labelTexts(*panel->view()).front(), GetParam().expectedNotice);
}

INSTANTIATE_TEST_SUITE_P(
    Firmware, NoOwnSerial,
    ::testing::Values(
        NoOwnSerialCase{true, {"序列号 unknown"}, "未能读取本机的序列号：固件中没有序列号记录。"},
        NoOwnSerialCase{false,
                        {"序列号 ", "send keyword nil"},
                        "未能读取本机的序列号：本机的固件没有提供机器信息。"}));

// How a load ends: finished, or failed before or after its content began to arrive.
enum class End { kFinished, kFailedBeforeContent, kFailedAfterContent };

struct LoadEndCase {
    const char* name;
    End end;
    NSError error;
    std::vector<std::string> expectedLog;
    std::vector<std::string> expectedAlerts;
    std::vector<std::string> expectedNotice;
};

class LoadEnd : public LookupPanelTest, public ::testing::WithParamInterface<LoadEndCase> {};

TEST_P(LoadEnd, StopsTheIndicatorThatTheStartSpunAndTellsOnlyOfAFailureBeforeContent) {
    const LoadEndCase& c = GetParam();
    const auto panel = showPanel("C02JX0XXDRVC");
    auto& webView = *panel->myWebView();
    ASSERT_EQ(webView.frameLoadDelegate(), panel);
    auto& delegate = *webView.frameLoadDelegate();
    delegate.webViewDidStartProvisionalLoadForFrame(webView, webView.mainFrame());
    EXPECT_TRUE(panel->myProgress()->isAnimating());

    switch (c.end) {
        case End::kFinished:
            delegate.webViewDidFinishLoadForFrame(webView, webView.mainFrame());
            break;
        case End::kFailedBeforeContent:
            delegate.webViewDidFailProvisionalLoadWithErrorForFrame(webView, c.error,
                                                                    webView.mainFrame());
            break;
        case End::kFailedAfterContent:
            delegate.webViewDidFailLoadWithErrorForFrame(webView, c.error, webView.mainFrame());
            break;
    }
    EXPECT_FALSE(panel->myProgress()->isAnimating());
    EXPECT_EQ(ui.logLines, c.expectedLog);
    EXPECT_EQ(ui.alerts, c.expectedAlerts);
    EXPECT_EQ(labelTexts(*panel->view()), c.expectedNotice);
}

INSTANTIATE_TEST_SUITE_P(
    Ends, LoadEnd,
    ::testing::Values(
        LoadEndCase{"Finished", End::kFinished, {}, {"finish load"}, {}, {}},
        LoadEndCase{
            "Refused",
            End::kFailedBeforeContent,
            {"NSURLErrorDomain", -1004, "Could not connect to the server."},
            {"did fail load",
             "error is Error Domain=NSURLErrorDomain Code=-1004 "
             "\"Could not connect to the server.\""},
            {"连接查询服务器时出错，请检查一下网络，稍后重试"},
            {"无法连接查询服务器 http://127.0.0.1:47180/",
             "查询服务 quelmarn-lookupd 应在本机运行，但没有应答。",
             "请在终端中运行 sudo systemctl start quelmarn-lookupd 启动它，然后重新查询。"}},
        // A missing web engine is not called a network failure.
        LoadEndCase{"NoWebEngine",
                    End::kFailedBeforeContent,
                    {kWebEngineErrorDomain, kWebEngineMissing, "no module"},
                    {"did fail load",
                     "error is Error Domain=QuelmarnWebEngineErrorDomain Code=1 \"no module\""},
                    {"内置浏览器组件缺失，无法显示查询结果，请重新安装本程序"},
                    {}},
        // A certificate the web view does not trust is no network failure either: the user
        // is told that the lookup was not sent, and whom to ask.
        LoadEndCase{
            "UntrustedCertificate",
            End::kFailedBeforeContent,
            {"NSURLErrorDomain", -1202, "The certificate for this server is invalid."},
            {"did fail load",
             "error is Error Domain=NSURLErrorDomain Code=-1202 "
             "\"The certificate for this server is invalid.\""},
            {"无法安全地连接查询服务器：服务器的证书不受信任，序列号没有发送。"
             "请联系网络管理员"},
            {"查询服务器 http://127.0.0.1:47180/ 的证书不受本机信任，序列号没有发送。",
             "请联系网络管理员，在本机安装为该服务器签发证书的机构的根证书，然后重新查询。"}},
        LoadEndCase{"LostMidPage",
                    End::kFailedAfterContent,
                    {"NSURLErrorDomain", -1005, "lost"},
                    {"did fail load", "error is Error Domain=NSURLErrorDomain Code=-1005 \"lost\""},
                    {},
                    {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LookupPanelTest, AFailureAfterAPageWasShownAlertsButKeepsThePage) {
    const auto panel = showPanel("C02JX0XXDRVC");
    auto& webView = *panel->myWebView();
    const NSError refused{"NSURLErrorDomain", -1004, "Could not connect to the server."};
    panel->webViewDidFinishLoadForFrame(webView, webView.mainFrame());
    panel->webViewDidFailProvisionalLoadWithErrorForFrame(webView, refused, webView.mainFrame());
    EXPECT_EQ(ui.alerts.size(), 1u);
    EXPECT_TRUE(labelTexts(*panel->view()).empty());
}

TEST_F(LookupPanelTest, ALookupTheUserHasLeftRaisesNoAlert) {
    const auto panel = showPanel("C02JX0XXDRVC");
    auto& webView = *panel->myWebView();
    panel->view()->removeFromSuperview();
    panel->webViewDidFailProvisionalLoadWithErrorForFrame(
        webView, {"NSURLErrorDomain", -1004, "Could not connect to the server."},
        webView.mainFrame());
    EXPECT_TRUE(ui.alerts.empty());
    EXPECT_TRUE(labelTexts(*panel->view()).empty());
    EXPECT_EQ(ui.logLines.front(), "did fail load");
}

struct HostCase {
    const char* host;
    bool thisMachine;
};

class ServiceHost : public ::testing::TestWithParam<HostCase> {};

TEST_P(ServiceHost, IsThisMachineOnlyForLoopbackNames) {
    EXPECT_EQ(isThisMachine(GetParam().host), GetParam().thisMachine) << GetParam().host;
}

INSTANTIATE_TEST_SUITE_P(
    Hosts, ServiceHost,
    ::testing::Values(HostCase{"127.0.0.1:47180", true}, HostCase{"127.8.9.1", true},
                      HostCase{"localhost:80", true}, HostCase{"[::1]:47180", true},
                      HostCase{"::1", true}, HostCase{"lookup.example.org:47180", false},
                      HostCase{"10.0.0.7:47180", false}, HostCase{"[2001:db8::1]:80", false},
                      HostCase{"localhost.example.org", false}));

TEST(ServiceUnreachable, ARemoteServiceIsNotToldToBeStartedHere) {
    const auto lines = serviceUnreachableLines("https://lookup.example.org");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "无法连接查询服务器 https://lookup.example.org/");
    EXPECT_EQ(lines[1].find("systemctl"), std::string::npos);
}

}  // namespace
