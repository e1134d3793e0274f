#include "platform/qt/widget_placement.h"

#include <gtest/gtest.h>

#include <QWidget>

namespace {

using platform::frameOf;
using platform::NSMakeRect;
using platform::qtGeometryOf;

TEST(WidgetPlacementTest, MeasuresFromTheBottomInViewsAndFromTheTopInQt) {
    // The first icon of a summary row in a 400 x 500 panel.
    EXPECT_EQ(qtGeometryOf(NSMakeRect(30, 420, 30, 30), 500), QRect(30, 50, 30, 30));
    EXPECT_EQ(qtGeometryOf(NSMakeRect(0, 0, 480, 400), 400), QRect(0, 0, 480, 400));
    EXPECT_EQ(qtGeometryOf(NSMakeRect(0, 0, 100, 20), 400), QRect(0, 380, 100, 20));
}

TEST(WidgetPlacementTest, FrameOfUndoesTheConversion) {
    EXPECT_EQ(frameOf(QRect(30, 50, 30, 30), 500), NSMakeRect(30, 420, 30, 30));
    EXPECT_EQ(frameOf(qtGeometryOf(NSMakeRect(80, 140, 400, 30), 500), 500),
              NSMakeRect(80, 140, 400, 30));
}

TEST(WidgetPlacementTest, FramesOffTheParentStayOff) {
    // A version line below a low panel's edge, as a too-small panel gives it.
    EXPECT_EQ(qtGeometryOf(NSMakeRect(0, -40, 480, 30), 300), QRect(0, 310, 480, 30));
    EXPECT_EQ(qtGeometryOf(NSMakeRect(-20, 0, 150, 150), 150), QRect(-20, 0, 150, 150));
}

TEST(WidgetPlacementTest, RoundsEdgesSoNeighboursMeet) {
    const QRect left = qtGeometryOf(NSMakeRect(0, 0, 10.5, 10), 10);
    const QRect right = qtGeometryOf(NSMakeRect(10.5, 0, 10.5, 10), 10);
    EXPECT_EQ(left.right() + 1, right.left());
    EXPECT_EQ(left.width() + right.width(), 21);
}

TEST(WidgetPlacementTest, ReparentingShowsAWidgetUnlessItWasHiddenOnPurpose) {
    QWidget parent;
    parent.resize(100, 100);
    parent.show();
    QWidget plain;
    QWidget hidden;
    hidden.hide();
    platform::reparentWidget(plain, &parent);
    platform::reparentWidget(hidden, &parent);
    EXPECT_TRUE(plain.isVisible());
    EXPECT_FALSE(hidden.isVisible());

    platform::reparentWidget(plain, nullptr);
    EXPECT_EQ(plain.parentWidget(), nullptr);
    EXPECT_FALSE(plain.isVisible());
    platform::reparentWidget(plain, &parent);
    EXPECT_TRUE(plain.isVisible());
}

}  // namespace
