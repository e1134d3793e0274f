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

// A panel of 400 x 500 points, as the summary's frames are tested against.
std::shared_ptr<NSView> shownPanel() {
    return ::shownPanel(400, 500);
}

// The Qt children of `parent` that views wrap, back to front.
std::vector<QWidget*> stackOf(const NSView& parent) {
    std::vector<QWidget*> stack;
    for (QObject* child : widgetOf(parent)->children()) {
        if (auto* widget = qobject_cast<QWidget*>(child)) {
            stack.push_back(widget);
        }
    }
    return stack;
}

TEST(NSViewTest, AChildLandsWhereItsBottomUpFrameSays) {
    auto panel = shownPanel();
    auto icon = NSView::initWithFrame(NSMakeRect(30, 420, 30, 30));
    panel->addSubview(icon);

    EXPECT_EQ(widgetOf(*icon)->geometry(), QRect(30, 50, 30, 30));
    EXPECT_EQ(icon->frame(), NSMakeRect(30, 420, 30, 30));
    EXPECT_TRUE(icon->isVisible());
}

TEST(NSViewTest, SetFrameMovesAViewInsideItsSuperview) {
    auto panel = shownPanel();
    auto label = NSView::initWithFrame(NSMakeRect(0, 0, 10, 10));
    panel->addSubview(label);
    label->setFrame(NSMakeRect(80, 140, 400, 30));

    EXPECT_EQ(widgetOf(*label)->geometry(), QRect(80, 330, 400, 30));
    EXPECT_EQ(label->frame(), NSMakeRect(80, 140, 400, 30));
}

TEST(NSViewTest, PlacementDoesNotFollowALaterResizeOfTheSuperview) {
    auto panel = shownPanel();
    auto icon = NSView::initWithFrame(NSMakeRect(30, 420, 30, 30));
    panel->addSubview(icon);
    panel->setFrame(NSMakeRect(0, 0, 400, 600));

    EXPECT_EQ(widgetOf(*icon)->geometry(), QRect(30, 50, 30, 30));
    EXPECT_EQ(icon->frame(), NSMakeRect(30, 420, 30, 30));
}

TEST(NSViewTest, AWrappedWidgetReportsItsGeometryAsItsFrame) {
    QWidget* parent = new QWidget;
    parent->resize(300, 200);
    auto* child = new QWidget(parent);
    child->setGeometry(10, 20, 50, 40);
    auto parentView =
        NSView::fromNative(std::make_unique<platform::NativeView>(platform::NativeView{parent}));
    auto childView =
        NSView::fromNative(std::make_unique<platform::NativeView>(platform::NativeView{child}));

    EXPECT_EQ(parentView->frame(), NSMakeRect(0, 0, 300, 200));
    EXPECT_EQ(childView->frame(), NSMakeRect(10, 140, 50, 40));
}

TEST(NSViewTest, SubviewsStackInTheOrderTheyAreAdded) {
    auto panel = shownPanel();
    auto first = NSView::initWithFrame(NSMakeRect(0, 0, 10, 10));
    auto second = NSView::initWithFrame(NSMakeRect(0, 0, 10, 10));
    panel->addSubview(first);
    panel->addSubview(second);
    panel->addSubview(nullptr);

    EXPECT_EQ(panel->subviews(), (std::vector<std::shared_ptr<NSView>>{first, second}));
    EXPECT_EQ(stackOf(*panel), (std::vector<QWidget*>{widgetOf(*first), widgetOf(*second)}));
    EXPECT_EQ(first->superview(), panel);

    // Adding a subview again brings it to the front.
    panel->addSubview(first);
    EXPECT_EQ(panel->subviews(), (std::vector<std::shared_ptr<NSView>>{second, first}));
    EXPECT_EQ(stackOf(*panel), (std::vector<QWidget*>{widgetOf(*second), widgetOf(*first)}));
}

TEST(NSViewTest, AddingAViewTakesItFromItsFormerSuperview) {
    auto left = shownPanel();
    auto right = shownPanel();
    auto view = NSView::initWithFrame(NSMakeRect(0, 0, 10, 10));
    left->addSubview(view);
    right->addSubview(view);

    EXPECT_TRUE(left->subviews().empty());
    EXPECT_EQ(right->subviews().size(), 1u);
    EXPECT_EQ(widgetOf(*view)->parentWidget(), widgetOf(*right));
    EXPECT_EQ(view->superview(), right);
}

TEST(NSViewTest, ReplacingPutsTheNewViewWhereTheOldOneStood) {
    auto window = shownPanel();
    auto below = NSView::initWithFrame(NSMakeRect(0, 0, 10, 10));
    auto shown = NSView::initWithFrame(NSMakeRect(0, 0, 400, 500));
    auto above = NSView::initWithFrame(NSMakeRect(0, 0, 10, 10));
    window->addSubview(below);
    window->addSubview(shown);
    window->addSubview(above);
    auto next = NSView::initWithFrame(NSMakeRect(0, 100, 400, 400));

    window->replaceSubviewWith(shown, next);

    EXPECT_EQ(window->subviews(), (std::vector<std::shared_ptr<NSView>>{below, next, above}));
    EXPECT_EQ(stackOf(*window),
              (std::vector<QWidget*>{widgetOf(*below), widgetOf(*next), widgetOf(*above)}));
    EXPECT_EQ(widgetOf(*next)->geometry(), QRect(0, 0, 400, 400));
    EXPECT_TRUE(next->isVisible());
    EXPECT_EQ(next->superview(), window);
    // The old view has left: no superview, no parent widget, not on screen.
    EXPECT_EQ(shown->superview(), nullptr);
    EXPECT_EQ(widgetOf(*shown)->parentWidget(), nullptr);
    EXPECT_FALSE(shown->isVisible());
}

TEST(NSViewTest, ReplacingAViewThatIsNoSubviewDoesNothing) {
    auto window = shownPanel();
    auto shown = NSView::initWithFrame(NSMakeRect(0, 0, 10, 10));
    window->addSubview(shown);
    auto stranger = NSView::initWithFrame(NSMakeRect(0, 0, 10, 10));
    auto next = NSView::initWithFrame(NSMakeRect(0, 0, 10, 10));

    window->replaceSubviewWith(stranger, next);

    EXPECT_EQ(window->subviews(), (std::vector<std::shared_ptr<NSView>>{shown}));
    EXPECT_EQ(next->superview(), nullptr);
}

TEST(NSViewTest, RemovingFromTheSuperviewReleasesTheWidget) {
    auto window = shownPanel();
    auto view = NSView::initWithFrame(NSMakeRect(0, 0, 10, 10));
    window->addSubview(view);
    view->removeFromSuperview();

    EXPECT_TRUE(window->subviews().empty());
    EXPECT_EQ(widgetOf(*view)->parentWidget(), nullptr);
    EXPECT_FALSE(view->isVisible());
    view->removeFromSuperview();

    window->addSubview(view);
    EXPECT_TRUE(view->isVisible());
}

TEST(NSViewTest, TheWidgetDiesWithItsView) {
    auto view = NSView::initWithFrame(NSMakeRect(0, 0, 10, 10));
    QPointer<QWidget> widget = widgetOf(*view);
    view.reset();
    EXPECT_TRUE(widget.isNull());
}

TEST(NSViewTest, ASuperviewHoldsItsSubviewsAndTakesTheirWidgetsDown) {
    auto window = shownPanel();
    std::weak_ptr<NSView> child;
    QPointer<QWidget> childWidget;
    {
        auto view = NSView::initWithFrame(NSMakeRect(0, 0, 10, 10));
        window->addSubview(view);
        child = view;
        childWidget = widgetOf(*view);
    }
    ASSERT_FALSE(child.expired());
    window.reset();
    EXPECT_TRUE(child.expired());
    EXPECT_TRUE(childWidget.isNull());
}

TEST(NSViewTest, AChildThatOutlivesItsSuperviewsWidgetIsHarmless) {
    auto window = shownPanel();
    auto child = NSView::initWithFrame(NSMakeRect(0, 0, 10, 10));
    window->addSubview(child);
    window.reset();

    EXPECT_EQ(widgetOf(*child), nullptr);
    EXPECT_EQ(child->superview(), nullptr);
    EXPECT_FALSE(child->isVisible());
    child->setFrame(NSMakeRect(1, 2, 3, 4));
    EXPECT_EQ(child->frame(), NSMakeRect(1, 2, 3, 4));
    child->addSubview(NSView::initWithFrame(NSMakeRect(0, 0, 1, 1)));
    child->removeFromSuperview();
}

TEST(NSViewTest, ASuperviewOutlivesAChildWhoseWidgetWasDeleted) {
    auto window = shownPanel();
    auto child = NSView::initWithFrame(NSMakeRect(0, 0, 10, 10));
    window->addSubview(child);
    delete widgetOf(*child);
    auto next = NSView::initWithFrame(NSMakeRect(0, 0, 10, 10));

    window->replaceSubviewWith(child, next);

    EXPECT_EQ(window->subviews(), (std::vector<std::shared_ptr<NSView>>{next}));
    EXPECT_TRUE(next->isVisible());
}

}  // namespace
