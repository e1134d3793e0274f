// The views and controls, images and screen of the platform layer on the Qt backend.
#include <gtest/gtest.h>

#include <QAction>
#include <QFontInfo>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QImage>
#include <QLineEdit>
#include <QPointer>
#include <QScreen>
#include <QToolTip>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>

#include "platform/appkit/ns_image.h"
#include "platform/appkit/ns_menu.h"
#include "platform/appkit/ns_progress_indicator.h"
#include "platform/appkit/ns_screen.h"
#include "platform/appkit/ns_text_field.h"
#include "platform/appkit/ns_view.h"
#include "platform/qt/embedded_image.h"
#include "platform/qt/native_bridge.h"
#include "platform/qt/qt_desktop.h"
#include "tests/support/temporary_directory.h"

namespace {

using platform::NSMakeRect;
using platform::NSTextField;
using platform::NSView;
using platform::widgetOf;
using Views = std::vector<std::shared_ptr<NSView>>;

// A plain view of `width` x `height` points on screen, for subviews to be placed in.
std::shared_ptr<NSView> shownPanel(double width, double height) {
    auto panel = NSView::initWithFrame(NSMakeRect(0, 0, width, height));
    widgetOf(*panel)->show();
    return panel;
}

// The Qt children of `parent`, back to front.
QList<QWidget*> stackOf(const NSView& parent) {
    return widgetOf(parent)->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
}

// What the field's widget shows of the four flags: a frame, a background, typing, clicks and focus.
std::array<bool, 4> shownFlags(const NSTextField& field) {
    const QLineEdit& edit = *platform::lineEditOf(field);
    return {
        edit.hasFrame(), edit.palette().color(QPalette::Base).alpha() == 255, !edit.isReadOnly(),
        edit.focusPolicy() != Qt::NoFocus && !edit.testAttribute(Qt::WA_TransparentForMouseEvents)};
}

std::shared_ptr<NSTextField> plainLabel() {
    auto label = NSTextField::initWithFrame(NSMakeRect(80, 420, 320, 30));
    label->setBezeled(false);
    label->setDrawsBackground(false);
    label->setEditable(false);
    label->setSelectable(false);
    return label;
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

// Takes down the actions it is sent.
class ActionRecorder : public platform::NSObject {
  public:
    bool performAction(std::string_view selector, const std::shared_ptr<NSObject>&) override {
        selectors.emplace_back(selector);
        return true;
    }
    std::vector<std::string> selectors;
};

TEST(NSViewTest, AMenuIsTheContextMenuAndItsKeysAreShortcutsOfTheWindow) {
    auto panel = shownPanel(100, 100);
    auto target = std::make_shared<ActionRecorder>();
    auto menu = std::make_shared<platform::NSMenu>();
    auto copy = std::make_shared<platform::NSMenuItem>("复制", "copy:", "c");
    copy->setTarget(target);
    menu->addItem(copy);
    panel->setMenu(menu);

    QWidget& widget = *widgetOf(*panel);
    EXPECT_EQ(widget.contextMenuPolicy(), Qt::ActionsContextMenu);
    // Its commands reach it from the keyboard too.
    EXPECT_EQ(widget.focusPolicy(), Qt::StrongFocus);
    ASSERT_EQ(widget.actions().size(), 1);
    QAction& action = *widget.actions().front();
    EXPECT_EQ(action.text(), "复制");
    EXPECT_EQ(action.shortcut(), QKeySequence(QStringLiteral("Ctrl+C")));
    EXPECT_EQ(action.shortcutContext(), Qt::WindowShortcut);
    action.trigger();
    EXPECT_EQ(target->selectors, std::vector<std::string>{"copy:"});

    panel->setMenu(nullptr);
    EXPECT_TRUE(widget.actions().isEmpty());
}

TEST(NSTextFieldTest, FlagsAndAlignmentReachTheWidget) {
    EXPECT_EQ(shownFlags(*NSTextField::initWithFrame(NSMakeRect(0, 0, 9, 9))),
              (std::array{true, true, true, true}));
    EXPECT_EQ(shownFlags(*plainLabel()), (std::array{false, false, false, false}));
    const struct {
        void (NSTextField::*set)(bool);
        std::array<bool, 4> shown;
    } kFlags[] = {
        {&NSTextField::setBezeled, {true, false, false, false}},
        {&NSTextField::setDrawsBackground, {false, true, false, false}},
        {&NSTextField::setEditable, {false, false, true, true}},
        {&NSTextField::setSelectable, {false, false, false, true}},  // read-only, yet clickable
    };
    for (std::size_t i = 0; i < std::size(kFlags); ++i) {
        SCOPED_TRACE(i);
        auto label = plainLabel();
        (*label.*kFlags[i].set)(true);
        EXPECT_EQ(shownFlags(*label), kFlags[i].shown);
    }

    // The panels centre their lines (alignment 2), in the middle of the box's height too.
    auto label = plainLabel();
    label->setAlignment(platform::NSCenterTextAlignment);
    EXPECT_EQ(platform::lineEditOf(*label)->alignment(), Qt::AlignHCenter | Qt::AlignVCenter);
}

// A label's text that does not fit in what its panel shows of it ends in "…" before the panel's
// edge, and its whole text is the tooltip, which the panel shows though the label lets the mouse
// through. The width that counts is the shown part: a label may reach past the panel's edge.
TEST(NSTextFieldTest, ALabelTooLongForItsPanelIsElidedAndTellsTheWholeTextInItsTooltip) {
    struct Case {
        const char* name;
        double labelWidth;  // the panel is 400 wide; the label starts at 80
        int textWidth;      // in pixels, as the label's font measures it
        bool elided;
    };
    const Case cases[] = {
        {"fits", 320, 200, false},
        {"wider than the label", 320, 500, true},
        {"fits the label but not the panel", 400, 360, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto panel = shownPanel(400, 500);
        auto label = plainLabel();
        label->setFrame(NSMakeRect(80, 420, c.labelWidth, 30));
        panel->addSubview(label);
        QWidget& widget = *widgetOf(*label);
        QString text = QStringLiteral("CPU型号：");
        while (widget.fontMetrics().horizontalAdvance(text) < c.textWidth) {
            text += QStringLiteral("x");
        }
        label->setStringValue(text.toStdString());
        const QImage picture = widgetOf(*panel)->grab().toImage();

        EXPECT_EQ(widget.toolTip(), c.elided ? text : QString());
        // Nothing is drawn in the panel's last four columns beside the label: an elided text
        // stops short of the edge (a text merely cut there would run into it).
        bool drawnAtTheEdge = false;
        const QColor background = picture.pixelColor(395, 60);
        for (int x = 396; x < 400; ++x) {
            for (int y = 52; y < 78; ++y) {
                drawnAtTheEdge |= picture.pixelColor(x, y) != background;
            }
        }
        EXPECT_FALSE(drawnAtTheEdge);

        QHelpEvent help(QEvent::ToolTip, widget.geometry().center(),
                        widgetOf(*panel)->mapToGlobal(widget.geometry().center()));
        QCoreApplication::sendEvent(widgetOf(*panel), &help);
        EXPECT_EQ(QToolTip::text(), c.elided ? text : QString());
        QToolTip::hideText();
    }
}

TEST(NSFontTest, LucidaGrandeDrawsInAnInstalledStandInAndAnAbsentFamilyIsNull) {
    EXPECT_EQ(platform::NSFont::fontWithName("No Such Family Anywhere", 14.0), nullptr);
    auto font = platform::NSFont::fontWithName("Lucida Grande", 14.0);
    ASSERT_NE(font, nullptr);
    EXPECT_TRUE(font->familyName() == "DejaVu Sans" || font->familyName() == "Noto Sans" ||
                font->familyName() == "WenQuanYi Micro Hei")
        << font->familyName();

    auto label = plainLabel();
    const QLineEdit& edit = *platform::lineEditOf(*label);
    const QFont defaultFont = edit.font();
    label->setFont(font);
    // The family named is the one the label draws with, not a fallback of the font database's.
    EXPECT_EQ(QFontInfo(edit.font()).family().toStdString(), font->familyName());
    // Sizes are in the same units as frames: a 14-point font is 14 pixels high, as a 30-point
    // box is 30 pixels (Qt's points would make it a third larger at 96 dpi).
    EXPECT_EQ(edit.font().pixelSize(), 14);
    label->setFont(nullptr);
    EXPECT_EQ(edit.font(), defaultFont);
}

TEST(NSImageTest, APresentImageLoadsAndAMissingOneIsNull) {
    EXPECT_EQ(platform::NSImage::imageNamed("cpu-that-is-not-there.png"), nullptr);
    auto image = platform::NSImage::imageNamed("red-8x4.png");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(platform::NativeBridge::pixmapOf(*image).size(), QSize(8, 4));

    // Drawn fitted into its box keeping its shape: 30 x 15, centred.
    auto view = platform::NSImageView::initWithFrame(NSMakeRect(0, 0, 30, 30));
    view->setImage(image);
    const QImage shot = widgetOf(*view)->grab().toImage();
    EXPECT_EQ(QColor(shot.pixel(1, 15)), QColor(Qt::red));
    EXPECT_NE(QColor(shot.pixel(15, 3)), QColor(Qt::red));
}

// An embedded image whose file does not hold what its size says is no image, never a read past
// its end.
TEST(EmbeddedImageTest, OnlyAFileOfExactlyItsPixelsIsAnImage) {
    testing_support::TemporaryDirectory directory;
    const auto pixelsOf = [](std::uint32_t width, std::uint32_t height, std::size_t bytes) {
        std::string file(sizeof width + sizeof height + bytes, '\x7f');
        std::memcpy(file.data(), &width, sizeof width);
        std::memcpy(file.data() + sizeof width, &height, sizeof height);
        return file;
    };
    const std::pair<const char*, std::string> cases[] = {
        {"whole", pixelsOf(2, 3, 24)},          {"short", pixelsOf(2, 3, 23)},
        {"long", pixelsOf(2, 3, 25)},           {"empty", ""},
        {"no width", pixelsOf(0, 3, 0)},        {"header only", pixelsOf(2, 3, 0)},
        {"too wide", pixelsOf(1u << 31, 2, 8)},
    };
    for (const auto& [name, contents] : cases) {
        SCOPED_TRACE(name);
        const auto path = directory.path() / name;
        std::ofstream(path.string() + ".pixels", std::ios::binary) << contents;
        const QImage image = platform::embeddedImage(QString::fromStdString(path.string()));
        EXPECT_EQ(image.size(), std::string_view(name) == "whole" ? QSize(2, 3) : QSize(0, 0));
    }
}

TEST(NSProgressIndicatorTest, ShowsOnlyWhileAnimatingWhereverItIsAdded) {
    auto panel = shownPanel(480, 400);
    auto indicator = platform::NSProgressIndicator::initWithFrame(NSMakeRect(0, 0, 32, 32));
    panel->addSubview(indicator);
    EXPECT_FALSE(indicator->isVisible());

    indicator->startAnimation(nullptr);
    EXPECT_TRUE(indicator->isVisible());
    auto other = shownPanel(480, 400);
    other->addSubview(indicator);
    EXPECT_TRUE(indicator->isVisible());

    indicator->stopAnimation(nullptr);
    EXPECT_FALSE(indicator->isVisible());
    EXPECT_FALSE(indicator->isAnimating());
}

TEST(QtDesktopTest, TheMainScreenIsThePrimaryScreenInPoints) {
    const auto screen = platform::makeQtDesktop(nullptr)->mainScreen();
    ASSERT_NE(screen, nullptr);
    const QScreen& primary = *QGuiApplication::primaryScreen();
    EXPECT_EQ(screen->frame(),
              NSMakeRect(0, 0, primary.geometry().width(), primary.geometry().height()));
    EXPECT_DOUBLE_EQ(screen->backingScaleFactor(), primary.devicePixelRatio());
}

}  // namespace
