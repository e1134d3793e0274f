// The controls, images, screen and hooks of the platform layer on the Qt backend.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>

#include "platform/appkit/ns_alert.h"
#include "platform/appkit/ns_image.h"
#include "platform/appkit/ns_progress_indicator.h"
#include "platform/appkit/ns_screen.h"
#include "platform/appkit/ns_text_field.h"
#include "platform/appkit/ns_url.h"
#include "platform/qt/native_image.h"
#include "platform/qt/native_view.h"
#include "tests/qt/shown_panel.h"

namespace {

using platform::NSMakeRect;
using platform::NSTextField;
using platform::widgetOf;

QLineEdit& lineEditOf(const NSTextField& field) {
    return *qobject_cast<QLineEdit*>(widgetOf(field));
}

// What the widget shows of the four flags: a frame, a background, typing, clicks and focus.
std::array<bool, 4> shownFlags(const QLineEdit& edit) {
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

TEST(NSTextFieldTest, FlagsAndAlignmentReachTheWidget) {
    EXPECT_EQ(shownFlags(lineEditOf(*NSTextField::initWithFrame(NSMakeRect(0, 0, 9, 9)))),
              (std::array{true, true, true, true}));
    EXPECT_EQ(shownFlags(lineEditOf(*plainLabel())), (std::array{false, false, false, false}));
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
        EXPECT_EQ(shownFlags(lineEditOf(*label)), kFlags[i].shown);
    }

    const struct {
        platform::NSTextAlignment alignment;
        Qt::Alignment qt;
    } kAlignments[] = {
        {platform::NSCenterTextAlignment, Qt::AlignHCenter},
        {platform::NSRightTextAlignment, Qt::AlignRight | Qt::AlignAbsolute},
        {platform::NSLeftTextAlignment, Qt::AlignLeft | Qt::AlignAbsolute},
        {platform::NSNaturalTextAlignment, Qt::AlignLeft},
    };
    auto label = plainLabel();
    for (const auto& each : kAlignments) {
        SCOPED_TRACE(each.alignment);
        label->setAlignment(each.alignment);
        EXPECT_EQ(lineEditOf(*label).alignment() & Qt::AlignHorizontal_Mask, each.qt);
        EXPECT_TRUE(lineEditOf(*label).alignment() & Qt::AlignVCenter);
    }
}

TEST(NSFontTest, LucidaGrandeHasAnInstalledStandInAndAnAbsentFamilyIsNull) {
    EXPECT_EQ(platform::NSFont::fontWithName("No Such Family Anywhere", 14.0), nullptr);
    auto font = platform::NSFont::fontWithName("Lucida Grande", 14.0);
    ASSERT_NE(font, nullptr);
    EXPECT_NE(font->familyName(), "Lucida Grande");

    auto label = plainLabel();
    const QFont defaultFont = lineEditOf(*label).font();
    label->setFont(font);
    EXPECT_EQ(lineEditOf(*label).font().family(), QString::fromStdString(font->familyName()));
    EXPECT_DOUBLE_EQ(lineEditOf(*label).font().pointSizeF(), 14.0);
    label->setFont(nullptr);
    EXPECT_EQ(lineEditOf(*label).font(), defaultFont);
}

TEST(NSImageTest, APresentImageLoadsAndAMissingOneIsNull) {
    EXPECT_EQ(platform::NSImage::imageNamed("cpu-that-is-not-there.png"), nullptr);
    auto image = platform::NSImage::imageNamed("red-8x4.png");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->native().pixmap.size(), QSize(8, 4));

    // Drawn fitted into its box keeping its shape: 30 x 15, centred.
    auto view = platform::NSImageView::initWithFrame(NSMakeRect(0, 0, 30, 30));
    view->setImage(image);
    const QImage shot = widgetOf(*view)->grab().toImage();
    EXPECT_EQ(QColor(shot.pixel(1, 15)), QColor(Qt::red));
    EXPECT_NE(QColor(shot.pixel(15, 3)), QColor(Qt::red));
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

TEST(NSScreenTest, TheInstalledSourceOrElseTheToolkitsPrimaryScreen) {
    auto previous = platform::installScreenSource(
        [] { return std::make_shared<platform::NSScreen>(NSMakeRect(0, 0, 1440, 900), 2.0); });
    EXPECT_EQ(platform::NSScreen::mainScreen()->frame(), NSMakeRect(0, 0, 1440, 900));
    EXPECT_DOUBLE_EQ(platform::NSScreen::mainScreen()->backingScaleFactor(), 2.0);

    platform::installScreenSource({});
    const QRect primary = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(platform::NSScreen::mainScreen()->frame(),
              NSMakeRect(0, 0, primary.width(), primary.height()));
    platform::installScreenSource(previous);
}

TEST(HookTest, TheAlertPresenterAndTheURLOpenerAreReplaceable) {
    std::string shown;
    auto previousPresenter = platform::installAlertPresenter([&](const platform::NSAlert& alert) {
        shown = alert.messageText();
        return 1234L;
    });
    platform::NSAlert alert;
    alert.setMessageText("连接服务器时出错");
    EXPECT_EQ(alert.runModal(), 1234);
    EXPECT_EQ(shown, "连接服务器时出错");
    platform::installAlertPresenter(previousPresenter);

    std::string opened;
    auto previousOpener = platform::installURLOpener([&](const platform::NSURL& url) {
        opened = url.absoluteString();
        return false;
    });
    const auto url = platform::NSURL::URLWithString("http://support.example.com/kb/HT1349");
    EXPECT_FALSE(platform::NSWorkspace::sharedWorkspace().openURL(*url));
    EXPECT_EQ(opened, "http://support.example.com/kb/HT1349");
    platform::installURLOpener(previousOpener);
}

}  // namespace
