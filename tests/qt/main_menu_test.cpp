#include "platform/qt/main_menu.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QToolBar>

#include "platform/appkit/ns_text_field.h"
#include "platform/appkit/ns_toolbar_item.h"
#include "platform/qt/native_view.h"
#include "platform/qt/native_window.h"

namespace {

using platform::NSApplication;
using platform::NSObject;

// Stands in for the application's delegate: takes its outlets weakly and notes its actions.
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
        } else {
            return false;
        }
        return true;
    }
    bool performAction(std::string_view selector,
                       const std::shared_ptr<NSObject>& sender) override {
        if (selector == "terminate:") {
            return false;
        }
        actions.emplace_back(selector);
        senders.push_back(sender);
        return true;
    }

    std::weak_ptr<platform::NSWindow> window;
    std::weak_ptr<platform::NSToolbarItem> searchBox;
    std::vector<std::string> actions;
    std::vector<std::shared_ptr<NSObject>> senders;
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

TEST_F(MainMenuTest, TheDescriptionMakesTheDelegateAndHandsItTheWindow) {
    EXPECT_EQ(delegate->window.lock(), window);
    EXPECT_EQ(window->title(), "quelmarn");
    EXPECT_FALSE(window->isVisible());
}

TEST_F(MainMenuTest, TheContentViewHoldsAPanelOf640By440) {
    const platform::NSRect content = window->contentView()->frame();
    EXPECT_GE(content.width, 640);
    EXPECT_GE(content.height, 440);
    EXPECT_GE(mainWindow->minimumSizeHint().height(), 440 + mainWindow->menuBar()->height());
}

TEST_F(MainMenuTest, TheSearchBoxIsAToolbarItemOverTheSearchField) {
    const auto item = delegate->searchBox.lock();
    ASSERT_NE(item, nullptr);
    const auto field = std::dynamic_pointer_cast<platform::NSTextField>(item->view());
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(platform::widgetOf(*field), &searchField());
    EXPECT_EQ(searchField().placeholderText(), "输入序列号后按回车");

    searchField().setText("C02XK0ABJGH5");
    EXPECT_EQ(field->stringValue(), "C02XK0ABJGH5");
}

TEST_F(MainMenuTest, TheSearchFieldStandsInTheToolbarBeforeAbout) {
    const auto* toolbar = mainWindow->findChild<QToolBar*>("toolBar");
    const QList<QAction*> actions = toolbar->actions();
    const auto field = std::find_if(actions.begin(), actions.end(), [&](QAction* each) {
        return toolbar->widgetForAction(each) == &searchField();
    });
    ASSERT_NE(field, actions.end());
    ASSERT_NE(field + 1, actions.end());
    EXPECT_EQ(*(field + 1), &action("actionShowQuelmarn"));
}

TEST_F(MainMenuTest, CommandsSendTheirActionsToTheDelegate) {
    action("actionShowDeviceInfo").trigger();
    action("actionSearchBySerialNumber").trigger();
    action("actionShowQuelmarn").trigger();
    action("actionShowHelpPage").trigger();
    action("actionReOpenTheMainWindow").trigger();

    EXPECT_EQ(delegate->actions,
              (std::vector<std::string>{"showDeviceInfo:", "SearchBySerialNumber:", "showQuelmarn:",
                                        "showHelpPage:", "reOpenTheMainWindow:"}));
}

TEST_F(MainMenuTest, ReturnInTheSearchFieldSendsTheLookupWithTheFieldAsSender) {
    searchField().setText("C02X");
    emit searchField().returnPressed();

    ASSERT_EQ(delegate->actions, std::vector<std::string>{"searchByPrintSerialNumber:"});
    EXPECT_EQ(delegate->senders[0], delegate->searchBox.lock()->view());
}

TEST_F(MainMenuTest, CommandsHaveChineseLabelsAndTheUsualShortcuts) {
    EXPECT_EQ(action("actionShowDeviceInfo").text(), "设备信息");
    EXPECT_EQ(action("actionSearchBySerialNumber").text(), "序列号查询");
    EXPECT_EQ(action("actionShowQuelmarn").text(), "关于");
    EXPECT_EQ(action("actionShowHelpPage").text(), "帮助");
    EXPECT_EQ(action("actionReOpenTheMainWindow").text(), "主窗口");
    EXPECT_EQ(action("actionTerminate").text(), "退出");
    EXPECT_EQ(action("actionTerminate").shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
}

TEST_F(MainMenuTest, OnlyAWindowOnScreenCountsAsVisible) {
    EXPECT_FALSE(application.hasVisibleWindows());
    window->makeKeyAndOrderFront(nullptr);
    EXPECT_TRUE(application.hasVisibleWindows());
    mainWindow->showMinimized();
    EXPECT_FALSE(application.hasVisibleWindows());
    window->makeKeyAndOrderFront(nullptr);
    EXPECT_TRUE(application.hasVisibleWindows());
    window->close();
    EXPECT_FALSE(application.hasVisibleWindows());
}

TEST_F(MainMenuTest, TheApplicationKeepsTheWindowAndTheSearchBoxForTheRun) {
    std::weak_ptr<platform::NSWindow> watched = window;
    window.reset();
    EXPECT_FALSE(watched.expired());
    EXPECT_FALSE(delegate->searchBox.expired());

    application.releaseInterfaceObjects();
    EXPECT_TRUE(watched.expired());
    EXPECT_TRUE(delegate->searchBox.expired());
    EXPECT_EQ(application.delegate(), nullptr);
}

TEST(MainMenuLoadTest, AnUnknownDelegateClassLoadsNothing) {
    platform::registerClass("AppDelegate", [] { return std::shared_ptr<NSObject>(); });
    EXPECT_EQ(platform::loadMainMenu(NSApplication::sharedApplication()), nullptr);
    EXPECT_EQ(NSApplication::sharedApplication().delegate(), nullptr);
    platform::registerClass("AppDelegate", [] { return std::make_shared<RecordingDelegate>(); });
}

}  // namespace
