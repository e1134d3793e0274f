#include "platform/appkit/ns_progress_indicator.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>

#include "platform/qt/native_view.h"
#include "tests/qt/shown_panel.h"

namespace {

using platform::NSMakeRect;
using platform::NSProgressIndicator;
using platform::widgetOf;

// How many pixels of the indicator differ from its first pixel: zero for an empty box.
int drawnPixels(const NSProgressIndicator& indicator) {
    QWidget* widget = widgetOf(indicator);
    const QImage shot = widget->grab().toImage();
    int drawn = 0;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            drawn += shot.pixel(x, y) != shot.pixel(0, 0) ? 1 : 0;
        }
    }
    return drawn;
}

TEST(NSProgressIndicatorTest, AStoppedIndicatorIsHiddenAlsoOnceAdded) {
    auto panel = shownPanel(480, 400);
    auto indicator = NSProgressIndicator::initWithFrame(NSMakeRect(224, 184, 32, 32));
    panel->addSubview(indicator);

    EXPECT_FALSE(indicator->isAnimating());
    EXPECT_FALSE(indicator->isVisible());
    EXPECT_EQ(widgetOf(*indicator)->geometry(), QRect(224, 184, 32, 32));
}

TEST(NSProgressIndicatorTest, SpinsWhileAnimatingAndHidesWhenStopped) {
    auto panel = shownPanel(480, 400);
    auto indicator = NSProgressIndicator::initWithFrame(NSMakeRect(224, 184, 32, 32));
    panel->addSubview(indicator);

    indicator->startAnimation(nullptr);
    EXPECT_TRUE(indicator->isAnimating());
    EXPECT_TRUE(indicator->isVisible());
    EXPECT_GT(drawnPixels(*indicator), 0);

    indicator->stopAnimation(nullptr);
    EXPECT_FALSE(indicator->isAnimating());
    EXPECT_FALSE(indicator->isVisible());
}

TEST(NSProgressIndicatorTest, AStartedIndicatorMovedToAnotherPanelKeepsShowing) {
    auto first = shownPanel(480, 400);
    auto second = shownPanel(480, 400);
    auto indicator = NSProgressIndicator::initWithFrame(NSMakeRect(0, 0, 32, 32));
    first->addSubview(indicator);
    indicator->startAnimation(nullptr);
    second->addSubview(indicator);
    EXPECT_TRUE(indicator->isVisible());
}

TEST(NSProgressIndicatorTest, AnIndicatorWhoseWidgetIsGoneStillKeepsItsState) {
    auto indicator = NSProgressIndicator::initWithFrame(NSMakeRect(0, 0, 32, 32));
    delete widgetOf(*indicator);
    indicator->startAnimation(nullptr);
    EXPECT_TRUE(indicator->isAnimating());
    indicator->stopAnimation(nullptr);
    EXPECT_FALSE(indicator->isAnimating());
}

}  // namespace
