// The application on the Qt backend: its main menu description, its windows, its single
// instance and the environment it prepares for the toolkit.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMainWindow>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "platform/appkit/ns_toolbar_item.h"
#include "platform/qt/application_environment.h"
#include "platform/qt/main_menu.h"
#include "platform/qt/native_view.h"
#include "platform/qt/native_window.h"
#include "platform/qt/single_instance.h"

namespace {

using platform::NSApplication;
using platform::NSObject;

// Stands in for the application's delegate: takes its outlets weakly and notes every action it
// is offered, declining to quit or to close the window.
class RecordingDelegate : public platform::NSApplicationDelegate {
  public:
    bool applicationShouldHandleReopenHasVisibleWindows(NSApplication&, bool) override {
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
};

const bool kRegistered =
    platform::registerClass("AppDelegate", [] { return std::make_shared<RecordingDelegate>(); });

class MainMenuTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(kRegistered);
        window = platform::loadMainMenu(application);
        ASSERT_NE(window, nullptr);
        delegate = std::dynamic_pointer_cast<RecordingDelegate>(application.delegate());
        ASSERT_NE(delegate, nullptr);
        mainWindow = window->native().window;
    }
    void TearDown() override {
        window.reset();
        application.releaseInterfaceObjects();
    }

    QAction& action(const char* name) { return *mainWindow->findChild<QAction*>(name); }
    QLineEdit& searchField() { return *mainWindow->findChild<QLineEdit*>("searchField"); }

    NSApplication& application = NSApplication::sharedApplication();
    std::shared_ptr<platform::NSWindow> window;
    std::shared_ptr<RecordingDelegate> delegate;
    QMainWindow* mainWindow = nullptr;
};

// Designer's plugins include the web engine's, which would load the engine with the menu.
TEST_F(MainMenuTest, TheDelegateGetsItsOutletsAndNoWebEngineNorDesignerPluginIsMapped) {
    EXPECT_EQ(delegate->window.lock(), window);
    const auto item = delegate->searchBox.lock();
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(platform::widgetOf(*item->view()), &searchField());

    QFile maps(QStringLiteral("/proc/self/maps"));
    ASSERT_TRUE(maps.open(QIODevice::ReadOnly));
    const QByteArray mapped = maps.readAll();
    EXPECT_FALSE(mapped.contains("libQt6WebEngine"));
    EXPECT_FALSE(mapped.contains("/designer/"));
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
    QAction& find = action("actionFindSerialNumber");
    EXPECT_EQ(find.shortcut(), QKeySequence(QStringLiteral("Ctrl+F")));
    find.trigger();
    EXPECT_EQ(mainWindow->focusWidget(), &searchField());
    EXPECT_EQ(searchField().selectedText(), "C02X");

    emit searchField().returnPressed();
    EXPECT_EQ(delegate->actions, std::vector<std::string>{"searchByPrintSerialNumber:"});
    EXPECT_EQ(delegate->lastSender, delegate->searchBox.lock()->view());
}

TEST_F(MainMenuTest, OnlyAWindowOnScreenCountsAsVisibleAndCloseIsTheApplicationsWhenDeclined) {
    EXPECT_FALSE(application.hasVisibleWindows());
    window->makeKeyAndOrderFront(nullptr);
    EXPECT_TRUE(application.hasVisibleWindows());
    mainWindow->showMinimized();
    EXPECT_FALSE(application.hasVisibleWindows());
    window->makeKeyAndOrderFront(nullptr);
    EXPECT_TRUE(application.hasVisibleWindows());

    action("actionPerformClose").trigger();
    EXPECT_EQ(delegate->actions, std::vector<std::string>{"performClose:"});
    EXPECT_FALSE(application.hasVisibleWindows());
}

// Panels are laid out once, for the content view's size: a window that grew would leave them
// where they were built, with the next one placed from the new bottom edge.
TEST_F(MainMenuTest, TheWindowKeepsTheSizeItsPanelsWereLaidOutFor) {
    window->makeKeyAndOrderFront(nullptr);
    EXPECT_EQ(mainWindow->minimumSize(), mainWindow->maximumSize());
    EXPECT_EQ(mainWindow->size(), mainWindow->minimumSize());
    mainWindow->resize(mainWindow->size() + QSize(200, 260));
    EXPECT_EQ(mainWindow->size(), mainWindow->minimumSize());
}

TEST_F(MainMenuTest, QuitIsTheApplicationsWhenTheDelegateDeclines) {
    QTimer::singleShot(0, [&] { action("actionTerminate").trigger(); });
    const QObject limit;  // gone with the test, so the limit cannot stop a later loop
    QTimer::singleShot(10000, &limit, [] { QCoreApplication::exit(1); });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_EQ(delegate->actions, std::vector<std::string>{"terminate:"});
}

TEST(SingleInstanceTest, ALaterStartHandsOverAndTheRunningOneReopens) {
    QTemporaryDir directory;
    const QString name = directory.filePath("quelmarn-test");
    // What a dead instance left behind is no one to hand over to, and is taken over.
    QFile stale(name);
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.close();
    EXPECT_FALSE(platform::SingleInstance(name).handOver());

    platform::SingleInstance running(name);
    int reopened = 0;
    ASSERT_TRUE(running.listen([&] { ++reopened; }));
    EXPECT_TRUE(platform::SingleInstance(name).handOver());
    EXPECT_TRUE(QTest::qWaitFor([&] { return reopened == 1; }));
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
