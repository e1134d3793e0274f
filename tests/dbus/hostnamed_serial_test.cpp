#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>

#include "panels/lookup/serial_number_view_controller.h"
#include "platform/dbus/hostnamed_serial_service.h"
#include "platform/linux/linux_machine.h"
#include "tests/dbus/private_bus.h"
#include "tests/support/scripted_machine.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/temporary_directory.h"

namespace {

using namespace std::chrono_literals;
using dbus_test::PrivateBus;
using dbus_test::ScriptedHostnamed;
using platform::HostnamedSerialService;
using platform::linux_backend::HardwareSerialAnswer;
using Outcome = HardwareSerialAnswer::Outcome;

// Short, so that the service that never answers does not hold the tests up.
constexpr auto kBound = 500ms;
const std::vector<std::string> kOneInteractiveCall = {"GetHardwareSerial interactive=1"};

// Asks `service` and runs the event loop until its answer has come, which must not be before
// the request returned.
HardwareSerialAnswer askAndWait(HostnamedSerialService& service) {
    std::optional<HardwareSerialAnswer> answer;
    QEventLoop loop;
    service.requestHardwareSerial([&](HardwareSerialAnswer given) {
        answer = std::move(given);
        loop.quit();
    });
    EXPECT_FALSE(answer) << "answered from inside the request";
    QTimer::singleShot(10s, &loop, &QEventLoop::quit);
    if (!answer) {
        loop.exec();
    }
    EXPECT_TRUE(answer) << "no answer within 10 s";
    return answer.value_or(HardwareSerialAnswer{});
}

// Runs the event loop until `done` holds or `seconds` have passed.
bool waitUntil(const std::function<bool()>& done, std::chrono::seconds seconds) {
    const auto deadline = std::chrono::steady_clock::now() + seconds;
    while (!done() && std::chrono::steady_clock::now() < deadline) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return done();
}

class HostnamedTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_FALSE(bus.address().empty()) << "dbus-daemon did not start"; }

    PrivateBus bus;
    HostnamedSerialService service{bus.address(), kBound};
};

struct AnswerCase {
    const char* name;
    const char* script;  // empty: no service on the bus
    Outcome outcome;
    std::string serial;
};

class HostnamedAnswer : public HostnamedTest, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(HostnamedAnswer, IsReadAsTheServiceGivesIt) {
    const AnswerCase& c = GetParam();
    std::optional<ScriptedHostnamed> hostnamed;
    if (*c.script) {
        hostnamed.emplace(bus, c.script, "C02SERIAL");
        ASSERT_TRUE(hostnamed->isReady());
    }
    const auto started = std::chrono::steady_clock::now();
    const HardwareSerialAnswer answer = askAndWait(service);

    EXPECT_EQ(answer.outcome, c.outcome);
    EXPECT_EQ(answer.serial, c.serial);
    // Only a silent service makes the call wait, and then no longer than the bound (with room
    // for a loaded machine).
    EXPECT_LT(std::chrono::steady_clock::now() - started, kBound + 5s);
    if (hostnamed) {
        EXPECT_EQ(hostnamed->calls(), kOneInteractiveCall);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, HostnamedAnswer,
    ::testing::Values(AnswerCase{"Answered", "answer", Outcome::Answered, "C02SERIAL"},
                      AnswerCase{"NoAgent", "interactive-required", Outcome::Refused, ""},
                      AnswerCase{"Denied", "deny", Outcome::Refused, ""},
                      AnswerCase{"NoService", "", Outcome::Unavailable, ""},
                      AnswerCase{"NeverAnswers", "silent", Outcome::Unavailable, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HostnamedWithoutBusTest, IsUnavailable) {
    testing_support::TemporaryDirectory nowhere;
    HostnamedSerialService service("unix:path=" + (nowhere.path() / "bus").string(), kBound);
    EXPECT_EQ(askAndWait(service).outcome, Outcome::Unavailable);
}

// The panel's own lookup on a machine whose firmware gives this user no serial number (a root
// with no files), when the scripted service gives none either: the panel says why. (A served
// serial number is posted in the end-to-end run of an ordinary user.)
struct LookupCase {
    const char* name;
    const char* script;
    const char* serial;  // what the service gives
    LookupNotice notice;
};

class OwnLookup : public HostnamedTest, public ::testing::WithParamInterface<LookupCase> {
  protected:
    testing_support::TemporaryDirectory root;
    testing_support::InstalledMachine installed{std::make_shared<platform::LinuxMachine>(
        root.path(), std::make_shared<HostnamedSerialService>(bus.address(), kBound))};
    testing_support::ScriptedUserInterface ui;
    // The window's content, where the shell puts the panel.
    std::shared_ptr<platform::NSView> content =
        platform::NSView::initWithFrame(platform::NSMakeRect(0, 0, 640, 480));
};

TEST_P(OwnLookup, PostsNothingAndSaysWhy) {
    const LookupCase& c = GetParam();
    ScriptedHostnamed hostnamed(bus, c.script, c.serial);
    ASSERT_TRUE(hostnamed.isReady());
    const auto panel =
        SerialNumberViewController::initWithNibName("SerialNumberViewController", nullptr);
    content->addSubview(panel->view());
    ASSERT_TRUE(waitUntil([&] { return !ui.logLines.empty(); }, 10s));
    const auto notice = testing_support::labelTexts(*panel->view());

    EXPECT_EQ(ui.logLines, std::vector<std::string>{"序列号 unknown"});
    EXPECT_TRUE(ui.loads.empty());
    ASSERT_FALSE(notice.empty());
    EXPECT_EQ(notice.front(), lookupNoticeLines(c.notice).front());
    EXPECT_EQ(hostnamed.calls(), kOneInteractiveCall);
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, OwnLookup,
    ::testing::Values(LookupCase{"Placeholder", "answer", "To Be Filled By O.E.M.",
                                 LookupNotice::SerialNotRecorded},
                      LookupCase{"Denied", "deny", "", LookupNotice::SerialNotPermitted},
                      LookupCase{"NeverAnswers", "silent", "", LookupNotice::SerialNotRecorded}),
    [](const auto& info) { return std::string(info.param.name); });

// A serial number that the firmware gives this user is used without asking anyone.
TEST_F(HostnamedTest, AReadableFirmwareSerialNeedsNoService) {
    ScriptedHostnamed hostnamed(bus, "answer", "C02SERIAL");
    ASSERT_TRUE(hostnamed.isReady());
    testing_support::InstalledMachine installed(std::make_shared<platform::LinuxMachine>(
        std::filesystem::path(QUELMARN_FIXTURES_DIR) / "intel-laptop",
        std::make_shared<HostnamedSerialService>(bus.address(), kBound)));
    testing_support::ScriptedUserInterface ui;

    SerialNumberViewController::initWithNibName("SerialNumberViewController", nullptr)->view();
    ASSERT_EQ(ui.loads.size(), 1u);
    EXPECT_EQ(testing_support::bodyText(ui.loads[0]), "sn=PF3QZK7M");
    EXPECT_TRUE(hostnamed.calls().empty());
}

// While the service waits (for the user's password, say), the panel says so and the event loop
// runs on; an answer that comes after the user has left the panel is not looked up.
class SlowService : public HostnamedTest {
  protected:
    testing_support::TemporaryDirectory root;
    // Long enough for the late answer.
    testing_support::InstalledMachine installed{std::make_shared<platform::LinuxMachine>(
        root.path(), std::make_shared<HostnamedSerialService>(bus.address(), 10s))};
    testing_support::ScriptedUserInterface ui;
    std::shared_ptr<platform::NSView> content =
        platform::NSView::initWithFrame(platform::NSMakeRect(0, 0, 640, 480));
    ScriptedHostnamed hostnamed{bus, "late", "C02SERIAL"};
    std::shared_ptr<SerialNumberViewController> panel;

    // The user picks the panel, which asks the service at once.
    void SetUp() override {
        HostnamedTest::SetUp();
        ASSERT_TRUE(hostnamed.isReady());
        panel = SerialNumberViewController::initWithNibName("SerialNumberViewController", nullptr);
        content->addSubview(panel->view());
    }
};

TEST_F(SlowService, TheWaitIsShownAndTheAnswerIsLookedUpWhenItComes) {
    EXPECT_EQ(testing_support::labelTexts(*panel->view()), waitingForAuthorizationLines());
    EXPECT_TRUE(panel->myProgress()->isAnimating());
    EXPECT_TRUE(ui.loads.empty());
    ASSERT_TRUE(waitUntil([&] { return !ui.loads.empty(); }, 10s));
    EXPECT_EQ(testing_support::bodyText(ui.loads[0]), "sn=C02SERIAL");
    EXPECT_EQ(ui.logLines, std::vector<std::string>{"序列号 C02SERIAL"});
    EXPECT_TRUE(testing_support::labelTexts(*panel->view()).empty());
}

TEST_F(SlowService, AnAnswerForAPanelTheUserLeftIsDropped) {
    // The user goes to another panel; the shell keeps this one's controller.
    content->replaceSubviewWith(panel->view(), platform::NSView::initWithFrame({}));

    ASSERT_TRUE(waitUntil([&] { return !panel->myProgress()->isAnimating(); }, 10s));
    EXPECT_EQ(hostnamed.calls(), kOneInteractiveCall);
    EXPECT_TRUE(ui.loads.empty());
    EXPECT_TRUE(ui.logLines.empty());
    EXPECT_TRUE(testing_support::labelTexts(*panel->view()).empty());
}

}  // namespace
