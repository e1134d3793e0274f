#include "platform/appkit/ns_screen.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

namespace {

using platform::NSMakeRect;
using platform::NSScreen;

TEST(NSScreenTest, TheMainScreenIsTheToolkitsPrimaryScreen) {
    const auto screen = NSScreen::mainScreen();
    ASSERT_NE(screen, nullptr);
    const QScreen* primary = QGuiApplication::primaryScreen();

    EXPECT_EQ(screen->frame(),
              NSMakeRect(0, 0, primary->geometry().width(), primary->geometry().height()));
    EXPECT_GT(screen->frame().width, 0);
    EXPECT_DOUBLE_EQ(screen->backingScaleFactor(), primary->devicePixelRatio());
}

TEST(NSScreenTest, AnInstalledSourceStandsInUntilTheToolkitsIsPutBack) {
    auto previous = platform::installScreenSource(
        [] { return std::make_shared<NSScreen>(NSMakeRect(0, 0, 1440, 900), 2.0); });
    EXPECT_EQ(NSScreen::mainScreen()->frame(), NSMakeRect(0, 0, 1440, 900));
    EXPECT_DOUBLE_EQ(NSScreen::mainScreen()->backingScaleFactor(), 2.0);

    platform::installScreenSource([] { return std::shared_ptr<NSScreen>(); });
    EXPECT_EQ(NSScreen::mainScreen(), nullptr);

    platform::installScreenSource(previous);
    EXPECT_NE(NSScreen::mainScreen()->frame(), NSMakeRect(0, 0, 1440, 900));
}

TEST(NSScreenTest, AnEmptySourcePutsTheToolkitsBack) {
    platform::installScreenSource([] { return std::shared_ptr<NSScreen>(); });
    platform::installScreenSource({});
    EXPECT_NE(NSScreen::mainScreen(), nullptr);
}

}  // namespace
