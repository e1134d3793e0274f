#include "platform/appkit/ns_text_field.h"

#include <gtest/gtest.h>

#include <QLineEdit>

#include "platform/qt/native_view.h"

namespace {

using platform::NSFont;
using platform::NSMakeRect;
using platform::NSTextField;

QLineEdit& lineEditOf(const NSTextField& field) {
    return *qobject_cast<QLineEdit*>(platform::widgetOf(field));
}

// A summary row's label as the panels make it.
std::shared_ptr<NSTextField> plainLabel(const std::string& text) {
    auto label = NSTextField::initWithFrame(NSMakeRect(80, 420, 320, 30));
    label->setStringValue(text);
    label->setBezeled(false);
    label->setDrawsBackground(false);
    label->setEditable(false);
    label->setSelectable(false);
    return label;
}

TEST(NSTextFieldTest, ANewFieldIsAnEditableBox) {
    auto field = NSTextField::initWithFrame(NSMakeRect(0, 0, 100, 30));
    const QLineEdit& lineEdit = lineEditOf(*field);

    EXPECT_TRUE(field->isBezeled() && field->drawsBackground() && field->isEditable() &&
                field->isSelectable());
    EXPECT_TRUE(lineEdit.hasFrame());
    EXPECT_FALSE(lineEdit.isReadOnly());
    EXPECT_EQ(lineEdit.focusPolicy(), Qt::StrongFocus);
    EXPECT_EQ(lineEdit.size(), QSize(100, 30));
}

TEST(NSTextFieldTest, ShowsItsStringValue) {
    auto field = plainLabel("CPU型号：Intel Core i7");
    EXPECT_EQ(field->stringValue(), "CPU型号：Intel Core i7");
    EXPECT_EQ(lineEditOf(*field).text(), QString::fromUtf8("CPU型号：Intel Core i7"));
}

TEST(NSTextFieldTest, APlainLabelHasNoFrameNoBackgroundAndTakesNoInput) {
    auto label = plainLabel("内存：8.0G");
    const QLineEdit& lineEdit = lineEditOf(*label);

    EXPECT_FALSE(lineEdit.hasFrame());
    EXPECT_EQ(lineEdit.palette().color(QPalette::Base).alpha(), 0);
    EXPECT_TRUE(lineEdit.isReadOnly());
    EXPECT_EQ(lineEdit.focusPolicy(), Qt::NoFocus);
    EXPECT_TRUE(lineEdit.testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_FALSE(label->isBezeled() || label->drawsBackground() || label->isEditable() ||
                 label->isSelectable());
}

TEST(NSTextFieldTest, AReadOnlyLabelShowsTheBeginningOfALongText) {
    auto label = plainLabel(std::string(200, 'x'));
    EXPECT_EQ(lineEditOf(*label).cursorPosition(), 0);
}

TEST(NSTextFieldTest, ASelectableLabelTakesClicksButNoTyping) {
    auto label = plainLabel("版本：1.0.0");
    label->setSelectable(true);
    const QLineEdit& lineEdit = lineEditOf(*label);

    EXPECT_TRUE(lineEdit.isReadOnly());
    EXPECT_NE(lineEdit.focusPolicy(), Qt::NoFocus);
    EXPECT_FALSE(lineEdit.testAttribute(Qt::WA_TransparentForMouseEvents));
}

TEST(NSTextFieldTest, DrawingTheBackgroundAgainRestoresTheBaseColour) {
    auto field = plainLabel("x");
    field->setDrawsBackground(true);
    EXPECT_EQ(lineEditOf(*field).palette().color(QPalette::Base).alpha(), 255);
}

TEST(NSTextFieldTest, AlignmentValuesMapToQt) {
    auto field = plainLabel("x");
    const QLineEdit& lineEdit = lineEditOf(*field);
    EXPECT_EQ(field->alignment(), platform::NSNaturalTextAlignment);

    field->setAlignment(platform::NSCenterTextAlignment);
    EXPECT_EQ(lineEdit.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(field->alignment(), platform::NSCenterTextAlignment);
    field->setAlignment(platform::NSRightTextAlignment);
    EXPECT_EQ(lineEdit.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight | Qt::AlignAbsolute);
    field->setAlignment(platform::NSLeftTextAlignment);
    EXPECT_EQ(lineEdit.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft | Qt::AlignAbsolute);
    field->setAlignment(platform::NSNaturalTextAlignment);
    EXPECT_EQ(lineEdit.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    EXPECT_TRUE(lineEdit.alignment() & Qt::AlignVCenter);
}

TEST(NSTextFieldTest, DrawsInItsFontAndFallsBackToTheDefault) {
    auto field = plainLabel("x");
    const QFont defaultFont = lineEditOf(*field).font();
    auto font = NSFont::fontWithName("Lucida Grande", 14.0);
    ASSERT_NE(font, nullptr);

    field->setFont(font);
    EXPECT_EQ(field->font(), font);
    EXPECT_EQ(lineEditOf(*field).font().family(), QString::fromStdString(font->familyName()));
    EXPECT_DOUBLE_EQ(lineEditOf(*field).font().pointSizeF(), 14.0);

    field->setFont(nullptr);
    EXPECT_EQ(field->font(), nullptr);
    EXPECT_EQ(lineEditOf(*field).font(), defaultFont);
}

TEST(NSFontTest, AnInstalledFamilyIsItself) {
    auto font = NSFont::fontWithName("DejaVu Sans", 20.0);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->familyName(), "DejaVu Sans");
    EXPECT_DOUBLE_EQ(font->pointSize(), 20.0);
}

TEST(NSFontTest, LucidaGrandeResolvesToAnInstalledSansSerif) {
    auto font = NSFont::fontWithName("Lucida Grande", 14.0);
    ASSERT_NE(font, nullptr);
    EXPECT_NE(font->familyName(), "Lucida Grande");
    EXPECT_TRUE(font->familyName() == "DejaVu Sans" || font->familyName() == "Noto Sans" ||
                font->familyName() == "WenQuanYi Micro Hei");
}

TEST(NSFontTest, AFamilyThatIsNotInstalledIsNull) {
    EXPECT_EQ(NSFont::fontWithName("No Such Family Anywhere", 14.0), nullptr);
    EXPECT_EQ(NSFont::fontWithName("", 14.0), nullptr);
}

}  // namespace
