#include "platform/appkit/ns_window.h"

#include <gtest/gtest.h>

#include <QMainWindow>
#include <QPointer>

#include "platform/qt/native_view.h"
#include "platform/qt/native_window.h"

namespace {

using platform::NSMakeRect;
using platform::NSView;
using platform::NSWindow;

std::shared_ptr<NSWindow> makeWindow(QWidget* central) {
    auto* window = new QMainWindow;
    window->setWindowTitle("quelmarn");
    if (central != nullptr) {
        central->setMinimumSize(480, 400);
        window->setCentralWidget(central);
    }
    return std::make_shared<NSWindow>(
        std::make_unique<platform::NativeWindow>(platform::NativeWindow{window}));
}

TEST(NSWindowTest, TheContentViewIsTheCentralWidgetLaidOutAlready) {
    auto* central = new QWidget;
    auto window = makeWindow(central);

    EXPECT_EQ(platform::widgetOf(*window->contentView()), central);
    EXPECT_EQ(window->contentView()->frame(), NSMakeRect(0, 0, 480, 400));
    EXPECT_EQ(window->title(), "quelmarn");
}

TEST(NSWindowTest, AWindowWithoutCentralWidgetGetsAnEmptyContentView) {
    auto window = makeWindow(nullptr);
    ASSERT_NE(platform::widgetOf(*window->contentView()), nullptr);
    EXPECT_EQ(window->native().window->centralWidget(), platform::widgetOf(*window->contentView()));
}

TEST(NSWindowTest, APanelAddedBeforeTheFirstShowSitsAtTheTop) {
    auto window = makeWindow(new QWidget);
    auto panel = NSView::initWithFrame(NSMakeRect(0, 0, 480, 400));
    window->contentView()->addSubview(panel);
    window->makeKeyAndOrderFront(nullptr);

    EXPECT_EQ(platform::widgetOf(*panel)->geometry(), QRect(0, 0, 480, 400));
    EXPECT_TRUE(panel->isVisible());
}

TEST(NSWindowTest, ClosingHidesTheWindowAndOrderingFrontBringsItBack) {
    auto window = makeWindow(new QWidget);
    auto panel = NSView::initWithFrame(NSMakeRect(0, 0, 480, 400));
    window->contentView()->addSubview(panel);
    window->makeKeyAndOrderFront(nullptr);
    ASSERT_TRUE(window->isVisible());

    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_NE(window->native().window, nullptr);

    window->makeKeyAndOrderFront(nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(panel->isVisible());
}

TEST(NSWindowTest, TheWindowAndItsWidgetsDieWithIt) {
    auto window = makeWindow(new QWidget);
    auto panel = NSView::initWithFrame(NSMakeRect(0, 0, 480, 400));
    window->contentView()->addSubview(panel);
    QPointer<QMainWindow> mainWindow = window->native().window.data();
    window.reset();

    EXPECT_TRUE(mainWindow.isNull());
    EXPECT_EQ(platform::widgetOf(*panel), nullptr);
}

}  // namespace
