#include "platform/appkit/ns_view.h"

#include <gtest/gtest.h>

#include <QPointer>
#include <QWidget>

#include "platform/qt/native_view.h"
#include "tests/qt/shown_panel.h"

namespace {

using platform::NSMakeRect;
using platform::NSView;
using platform::widgetOf;
using Views = std::vector<std::shared_ptr<NSView>>;

// The Qt children of `parent`, back to front.
QList<QWidget*> stackOf(const NSView& parent) {
    return widgetOf(parent)->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
}

TEST(NSViewTest, AChildIsPlacedByItsBottomUpFrameAndStaysOnAParentResize) {
    auto panel = shownPanel(400, 500);
    auto icon = NSView::initWithFrame(NSMakeRect(0, 0, 10, 10));
    panel->addSubview(icon);
    icon->setFrame(NSMakeRect(30, 420, 30, 30));
    EXPECT_EQ(widgetOf(*icon)->geometry(), QRect(30, 50, 30, 30));
    EXPECT_TRUE(icon->isVisible());

    panel->setFrame(NSMakeRect(0, 0, 400, 600));
    EXPECT_EQ(widgetOf(*icon)->geometry(), QRect(30, 50, 30, 30));
    EXPECT_EQ(icon->frame(), NSMakeRect(30, 420, 30, 30));
}

TEST(NSViewTest, AddingStacksInOrderBringsToTheFrontAndTakesFromTheFormerSuperview) {
    auto panel = shownPanel(400, 500);
    auto other = shownPanel(400, 500);
    auto first = NSView::initWithFrame(NSMakeRect(0, 0, 10, 10));
    auto second = NSView::initWithFrame(NSMakeRect(0, 0, 10, 10));
    other->addSubview(first);
    panel->addSubview(first);
    panel->addSubview(second);
    EXPECT_TRUE(other->subviews().empty());
    EXPECT_EQ(first->superview(), panel);
    EXPECT_EQ(stackOf(*panel), (QList<QWidget*>{widgetOf(*first), widgetOf(*second)}));

    panel->addSubview(first);
    EXPECT_EQ(panel->subviews(), (Views{second, first}));
    EXPECT_EQ(stackOf(*panel), (QList<QWidget*>{widgetOf(*second), widgetOf(*first)}));
}

TEST(NSViewTest, ReplacingPutsTheNewViewWhereTheOldOneStoodAndTheOldLeaves) {
    auto window = shownPanel(400, 500);
    auto below = NSView::initWithFrame(NSMakeRect(0, 0, 10, 10));
    auto shown = NSView::initWithFrame(NSMakeRect(0, 0, 400, 500));
    auto above = NSView::initWithFrame(NSMakeRect(0, 0, 10, 10));
    auto next = NSView::initWithFrame(NSMakeRect(0, 100, 400, 400));
    for (const auto& view : {below, shown, above}) {
        window->addSubview(view);
    }
    window->replaceSubviewWith(shown, next);

    EXPECT_EQ(window->subviews(), (Views{below, next, above}));
    EXPECT_EQ(stackOf(*window),
              (QList<QWidget*>{widgetOf(*below), widgetOf(*next), widgetOf(*above)}));
    EXPECT_EQ(widgetOf(*next)->geometry(), QRect(0, 0, 400, 400));
    EXPECT_TRUE(next->isVisible());
    EXPECT_EQ(shown->superview(), nullptr);
    EXPECT_EQ(widgetOf(*shown)->parentWidget(), nullptr);
    EXPECT_FALSE(shown->isVisible());
}

TEST(NSViewTest, ViewsAndWidgetsDieSafelyInEitherOrder) {
    // The widget dies with its view.
    auto lone = NSView::initWithFrame(NSMakeRect(0, 0, 10, 10));
    QPointer<QWidget> loneWidget = widgetOf(*lone);
    lone.reset();
    EXPECT_TRUE(loneWidget.isNull());

    // A superview holds its subviews and takes their widgets down; one held elsewhere survives.
    auto window = shownPanel(400, 500);
    auto kept = NSView::initWithFrame(NSMakeRect(0, 0, 10, 10));
    std::weak_ptr<NSView> held = [&] {
        auto view = NSView::initWithFrame(NSMakeRect(0, 0, 10, 10));
        window->addSubview(view);
        return view;
    }();
    QPointer<QWidget> heldWidget = widgetOf(*held.lock());
    window->addSubview(kept);
    window.reset();
    EXPECT_TRUE(held.expired());
    EXPECT_TRUE(heldWidget.isNull());
    EXPECT_EQ(widgetOf(*kept), nullptr);
    EXPECT_EQ(kept->superview(), nullptr);
    kept->setFrame(NSMakeRect(1, 2, 3, 4));
    kept->addSubview(NSView::initWithFrame(NSMakeRect(0, 0, 1, 1)));
    kept->removeFromSuperview();

    // A superview outlives a child whose widget was deleted.
    auto panel = shownPanel(400, 500);
    auto child = NSView::initWithFrame(NSMakeRect(0, 0, 10, 10));
    auto next = NSView::initWithFrame(NSMakeRect(0, 0, 10, 10));
    panel->addSubview(child);
    delete widgetOf(*child);
    panel->replaceSubviewWith(child, next);
    EXPECT_EQ(panel->subviews(), (Views{next}));
    EXPECT_TRUE(next->isVisible());
}

}  // namespace
