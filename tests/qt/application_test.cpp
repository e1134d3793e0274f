// The application on the Qt backend: its main menu description, its windows, its single
// instance and the environment it prepares for the toolkit.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <thread>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLineEdit>
#include <QMainWindow>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include "platform/appkit/ns_toolbar_item.h"
#include "platform/qt/application_environment.h"
#include "platform/qt/main_menu.h"
#include "platform/qt/native_bridge.h"
#include "platform/qt/single_instance.h"
#include "platform/qt/status_icon.h"
#include "platform/qt/window_closing.h"
#include "platform/qt/x11_startup_notification.h"

namespace {

using platform::NSApplication;
using platform::NSObject;

// Stands in for the application's delegate: takes its outlets weakly and notes every action it
// is offered, declining to quit or to close the window.
class RecordingDelegate : public platform::NSApplicationDelegate {
  public:
    bool applicationShouldHandleReopenHasVisibleWindows(NSApplication&,
                                                        bool hasVisibleWindows) override {
        reopens.push_back(hasVisibleWindows);
        return true;
    }
    bool setValueForKey(std::string_view key, std::shared_ptr<NSObject> value) override {
        if (key == "window") {
            window = std::dynamic_pointer_cast<platform::NSWindow>(value);
        } else if (key == "searchBox") {
            searchBox = std::dynamic_pointer_cast<platform::NSToolbarItem>(value);
        }
        return key == "window" || key == "searchBox";
    }
    bool performAction(std::string_view selector,
                       const std::shared_ptr<NSObject>& sender) override {
        actions.emplace_back(selector);
        lastSender = sender;
        return selector != "terminate:" && selector != "performClose:";
    }

    std::weak_ptr<platform::NSWindow> window;
    std::weak_ptr<platform::NSToolbarItem> searchBox;
    std::vector<std::string> actions;
    std::shared_ptr<NSObject> lastSender;
    std::vector<bool> reopens;
};

const bool kRegistered =
    platform::registerClass("AppDelegate", [] { return std::make_shared<RecordingDelegate>(); });

class MainMenuTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(kRegistered);
        window = platform::loadMainWindow();
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(platform::connectApplicationDelegate(application, window));
        delegate = std::dynamic_pointer_cast<RecordingDelegate>(application.delegate());
        ASSERT_NE(delegate, nullptr);
        mainWindow = platform::NativeBridge::windowOf(*window);
    }
    void TearDown() override {
        window.reset();
        platform::NativeBridge::releaseInterfaceObjects(application);
    }

    QAction& action(const char* name) { return *mainWindow->findChild<QAction*>(name); }
    QLineEdit& searchField() { return *mainWindow->findChild<QLineEdit*>("searchField"); }

    NSApplication& application = NSApplication::sharedApplication();
    std::shared_ptr<platform::NSWindow> window;
    std::shared_ptr<RecordingDelegate> delegate;
    QMainWindow* mainWindow = nullptr;
};

TEST_F(MainMenuTest, TheDelegateGetsItsOutletsAndTheWebEngineIsNotMapped) {
    EXPECT_EQ(delegate->window.lock(), window);
    const auto item = delegate->searchBox.lock();
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(platform::widgetOf(*item->view()), &searchField());

    QFile maps(QStringLiteral("/proc/self/maps"));
    ASSERT_TRUE(maps.open(QIODevice::ReadOnly));
    const QByteArray mapped = maps.readAll();
    EXPECT_FALSE(mapped.contains("libQt6WebEngine"));
}

TEST_F(MainMenuTest, CommandsSendTheirSelectorsToTheDelegate) {
    const std::vector<std::pair<const char*, std::string>> kCommands = {
        {"actionShowDeviceInfo", "showDeviceInfo:"},
        {"actionSearchBySerialNumber", "SearchBySerialNumber:"},
        {"actionShowQuelmarn", "showQuelmarn:"},
        {"actionShowHelpPage", "showHelpPage:"},
        {"actionReOpenTheMainWindow", "reOpenTheMainWindow:"},
    };
    std::vector<std::string> expected;
    for (const auto& [name, selector] : kCommands) {
        action(name).trigger();
        expected.push_back(selector);
    }
    EXPECT_EQ(delegate->actions, expected);
}

TEST_F(MainMenuTest, CtrlFSelectsTheSearchFieldAndReturnThereSendsTheLookup) {
    window->makeKeyAndOrderFront(nullptr);
    searchField().setText("C02X");
    searchField().clearFocus();
    ASSERT_NE(mainWindow->focusWidget(), &searchField());
    action("actionFindSerialNumber").trigger();
    EXPECT_EQ(mainWindow->focusWidget(), &searchField());
    EXPECT_EQ(searchField().selectedText(), "C02X");

    emit searchField().returnPressed();
    EXPECT_EQ(delegate->actions, std::vector<std::string>{"searchByPrintSerialNumber:"});
    EXPECT_EQ(delegate->lastSender, delegate->searchBox.lock()->view());
}

TEST_F(MainMenuTest, ReopenActivatesACoveredWindowAndBringsBackAMinimisedOne) {
    EXPECT_FALSE(application.hasVisibleWindows());
    window->makeKeyAndOrderFront(nullptr);
    QWidget cover;
    cover.setWindowTitle("cover");
    cover.show();
    cover.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &cover; }));

    application.reopen();
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == mainWindow; }));
    cover.hide();
    mainWindow->showMinimized();
    application.reopen();
    // A minimised window is not on screen: the delegate is told so, and it brings it back.
    EXPECT_EQ(delegate->reopens, (std::vector<bool>{true, false}));
}

// 编辑 → 复制 copies the search box's selected text when it has the keyboard and text is
// selected there, as Ctrl+C does; otherwise it is the delegate's (the panel's copy).
TEST_F(MainMenuTest, CopyIsTheSearchBoxsSelectionFirstThenTheDelegates) {
    window->makeKeyAndOrderFront(nullptr);
    QApplication::setActiveWindow(mainWindow);
    searchField().setText("C02X");
    searchField().setFocus();
    searchField().selectAll();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == &searchField(); }));
    QApplication::clipboard()->setText("before");
    action("actionCopy").trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "C02X");
    EXPECT_TRUE(delegate->actions.empty());

    searchField().deselect();
    action("actionCopy").trigger();
    EXPECT_EQ(delegate->actions, std::vector<std::string>{"copy:"});
    EXPECT_EQ(QApplication::clipboard()->text(), "C02X");
}

// On X11 the tray icon is a top-level window of the application's, embedded into the tray: it
// must not count as a window on screen, or nothing would bring a closed main window back.
TEST_F(MainMenuTest, AWindowTheWindowManagerDoesNotManageIsNotOnScreen) {
    QWidget trayIconLike(nullptr,
                         Qt::Window | Qt::FramelessWindowHint | Qt::BypassWindowManagerHint);
    trayIconLike.show();
    EXPECT_FALSE(application.hasVisibleWindows());
    application.reopen();
    EXPECT_EQ(delegate->reopens, std::vector<bool>{false});
}

TEST_F(MainMenuTest, ClosingHidesTheSameNativeWindowOrQuitsWhenNothingCouldBringItBack) {
    bool quits = false;
    platform::hideOnClose(*mainWindow, [&quits] { return quits; });
    window->makeKeyAndOrderFront(nullptr);
    const QWindow* native = mainWindow->windowHandle();
    ASSERT_NE(native, nullptr);
    action("actionPerformClose").trigger();
    EXPECT_FALSE(mainWindow->isVisible());
    EXPECT_EQ(mainWindow->windowHandle(), native);
    EXPECT_NE(native->handle(), nullptr) << "the native window was destroyed";

    window->makeKeyAndOrderFront(nullptr);
    EXPECT_TRUE(mainWindow->isVisible());
    quits = true;
    QTimer::singleShot(0, [&] { mainWindow->close(); });
    const QObject limit;
    QTimer::singleShot(10000, &limit, [] { QCoreApplication::exit(1); });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(mainWindow->isVisible());
}

TEST_F(MainMenuTest, QuitIsTheApplicationsWhenTheDelegateDeclines) {
    QTimer::singleShot(0, [&] { action("actionTerminate").trigger(); });
    const QObject limit;  // gone with the test, so the limit cannot stop a later loop
    QTimer::singleShot(10000, &limit, [] { QCoreApplication::exit(1); });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_EQ(delegate->actions, std::vector<std::string>{"terminate:"});
}

using Start = platform::SingleInstance::Start;

// Two starts at the same moment: the second finds the first holding the lock before it listens.
TEST(SingleInstanceTest, ANewcomerWaitsForAStartingInstanceAndTakesOverWhenItEnds) {
    QTemporaryDir directory;
    const QString name = directory.filePath("quelmarn-test");
    auto starting = std::make_unique<platform::SingleInstance>(name);
    ASSERT_EQ(starting->claimOrHandOver(), Start::kFirst);

    platform::SingleInstance impatient(name);
    EXPECT_EQ(impatient.claimOrHandOver(std::chrono::milliseconds(100)), Start::kNoAnswer);

    // The patient one waits on a thread of its own while this one finishes starting up.
    Start patientStart = Start::kNoAnswer;
    std::thread patient([&] { patientStart = platform::SingleInstance(name).claimOrHandOver(); });
    QTest::qWait(200);
    int reopened = 0;
    EXPECT_TRUE(starting->listen([&](const std::string&) { ++reopened; }));
    EXPECT_TRUE(QTest::qWaitFor([&] { return reopened == 1; }));
    patient.join();
    EXPECT_EQ(patientStart, Start::kHandedOver);

    starting.reset();
    EXPECT_EQ(platform::SingleInstance(name).claimOrHandOver(), Start::kFirst);
}

// A lock file that cannot be opened (here a link, which the lock never follows) says nothing of
// a running instance: with none answering, this start runs, and a running one is still asked.
TEST(SingleInstanceTest, ALockFileThatCannotBeOpenedDoesNotKeepTheApplicationFromStarting) {
    QTemporaryDir directory;
    const QString name = directory.filePath("quelmarn-test");
    ASSERT_TRUE(QFile::link(directory.filePath("elsewhere"), name + ".lock"));
    platform::SingleInstance first(name);
    ASSERT_EQ(first.claimOrHandOver(std::chrono::seconds(30)), Start::kFirst);
    int reopened = 0;
    ASSERT_TRUE(first.listen([&](const std::string&) { ++reopened; }));
    EXPECT_EQ(platform::SingleInstance(name).claimOrHandOver(), Start::kHandedOver);
    EXPECT_TRUE(QTest::qWaitFor([&] { return reopened == 1; }));
}

// A later start hands over the token its launcher gave it, Wayland's before X11's, so that the
// running instance may take the focus with it.
TEST(SingleInstanceTest, ALaterStartHandsOverItsActivationToken) {
    struct Case {
        const char* xdgActivationToken;  // null: not set
        const char* desktopStartupId;
        std::string expected;
    };
    const Case cases[] = {
        {nullptr, nullptr, ""},
        {"8c1f0e2a-4d55-4c0e-9d7a-0b6f1a2c3d4e", nullptr, "8c1f0e2a-4d55-4c0e-9d7a-0b6f1a2c3d4e"},
        {nullptr, "launcher-1234-host-quelmarn-0_TIME987654",
         "launcher-1234-host-quelmarn-0_TIME987654"},
        {"wayland-token", "x11-id", "wayland-token"},
        // A token with a blank is none the instance would take: the start still reopens it.
        {"two words", nullptr, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        for (const auto& [name, value] : {std::pair{"XDG_ACTIVATION_TOKEN", c.xdgActivationToken},
                                          std::pair{"DESKTOP_STARTUP_ID", c.desktopStartupId}}) {
            value != nullptr ? qputenv(name, value) : qunsetenv(name);
        }
        QTemporaryDir directory;
        const QString name = directory.filePath("quelmarn-test");
        platform::SingleInstance first(name);
        ASSERT_EQ(first.claimOrHandOver(), Start::kFirst);
        std::vector<std::string> tokens;
        ASSERT_TRUE(first.listen([&](const std::string& token) { tokens.push_back(token); }));
        EXPECT_EQ(platform::SingleInstance(name).claimOrHandOver(), Start::kHandedOver);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !tokens.empty(); }));
        EXPECT_EQ(tokens, std::vector<std::string>{c.expected});
    }
    qunsetenv("XDG_ACTIVATION_TOKEN");
    qunsetenv("DESKTOP_STARTUP_ID");
}

TEST(SingleInstanceTest, OnlyAReopenLineWithAPrintableTokenIsARequest) {
    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {"reopen\n", ""},
        {"reopen abc-123_TIME9\n", "abc-123_TIME9"},
        {"reopen", std::nullopt},
        {"reopen \n", std::nullopt},
        {"reopen a b\n", std::nullopt},
        {"reopen a\tb\n", std::nullopt},
        {"reopen \x01\n", std::nullopt},
        {"reopenx\n", std::nullopt},
        {"quit\n", std::nullopt},
        {"reopen " + std::string(600, 'a') + "\n", std::nullopt},
    };
    for (const auto& [request, expected] : cases) {
        SCOPED_TRACE(request);
        EXPECT_EQ(platform::parseReopenRequest(request), expected);
    }
}

TEST(X11StartupTest, TheRemoveMessageQuotesTheIdAndTheTimeComesFromIt) {
    struct Case {
        std::string id;
        std::string message;
        unsigned time;
    };
    const Case cases[] = {
        {"launcher-12-host-quelmarn-0_TIME4242",
         R"(remove: ID="launcher-12-host-quelmarn-0_TIME4242")", 4242},
        {"no-time-here", R"(remove: ID="no-time-here")", 0},
        {"odd\"id\\_TIME7", R"(remove: ID="odd\"id\\_TIME7")", 7},
        {"a_TIME12x", R"(remove: ID="a_TIME12x")", 0},
        {"a_TIME99999999999", R"(remove: ID="a_TIME99999999999")", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(platform::startupRemoveMessage(c.id), c.message);
        EXPECT_EQ(platform::startupTimeOf(c.id), c.time);
    }
}

TEST(StatusIconTest, ItsMenuShowsTheWindowOrQuits) {
    std::vector<std::string> picked;
    platform::StatusIcon icon([&] { picked.emplace_back("show"); },
                              [&] { picked.emplace_back("quit"); });
    std::vector<QString> titles;
    for (QAction* action : icon.menu().actions()) {
        if (!action->isSeparator()) {
            titles.push_back(action->text());
            action->trigger();
        }
    }
    EXPECT_EQ(titles, (std::vector<QString>{"显示主窗口", "退出"}));
    EXPECT_EQ(picked, (std::vector<std::string>{"show", "quit"}));
}

TEST(ApplicationEnvironmentTest, MakesAPrivateRuntimeDirectoryAndKeepsWhatTheUserSet) {
    EXPECT_EQ(qgetenv("QTWEBENGINE_DISABLE_SANDBOX"), geteuid() == 0 ? "1" : "");
    const QByteArray before = qgetenv("XDG_RUNTIME_DIR");
    qunsetenv("XDG_RUNTIME_DIR");
    qputenv("QT_QUICK_BACKEND", "rhi");
    platform::prepareToolkitEnvironment();
    const QByteArray made = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", before);
    EXPECT_EQ(qgetenv("QT_QUICK_BACKEND"), "rhi");
    qputenv("QT_QUICK_BACKEND", "software");

    struct stat status {};
    ASSERT_EQ(stat(made.constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u);
    EXPECT_EQ(status.st_uid, getuid());
}

}  // namespace
