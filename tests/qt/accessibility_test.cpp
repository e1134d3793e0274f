// What the accessibility layer tells a screen reader about the views that code makes.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QLineEdit>
#include <QToolButton>

#include "platform/appkit/ns_image.h"
#include "platform/appkit/ns_text_field.h"
#include "platform/appkit/ns_view.h"
#include "platform/qt/accessibility.h"
#include "platform/qt/native_bridge.h"

namespace {

using platform::NSImageView;
using platform::NSMakeRect;
using platform::NSTextField;
using platform::NSView;
using platform::widgetOf;

class Accessibility : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { platform::installAccessibleRoles(); }

    // A field as a panel makes it: built, then made a plain label or left for typing.
    static std::shared_ptr<NSTextField> field(const std::string& text, bool label) {
        auto made = NSTextField::initWithFrame(NSMakeRect(80, 0, 300, 30));
        // A description asked for before the field became a label must not stay.
        QAccessible::queryAccessibleInterface(widgetOf(*made));
        made->setStringValue(text);
        made->setEditable(!label);
        made->setSelectable(!label);
        return made;
    }

    static QAccessibleInterface* describe(const NSView& view) {
        return QAccessible::queryAccessibleInterface(widgetOf(view));
    }
};

TEST_F(Accessibility, ALabelIsOneReadOnlyTextNamedByWhatItShowsAndAFieldForTypingStaysEditable) {
    const auto label = field("CPU型号：Intel Core i7", true);
    QAccessibleInterface* described = describe(*label);
    ASSERT_NE(described, nullptr);
    EXPECT_EQ(described->role(), QAccessible::StaticText);
    EXPECT_EQ(described->text(QAccessible::Name), QStringLiteral("CPU型号：Intel Core i7"));
    EXPECT_TRUE(described->state().readOnly);
    EXPECT_FALSE(described->state().editable);

    const auto typing = field("C02", false);
    described = describe(*typing);
    ASSERT_NE(described, nullptr);
    EXPECT_EQ(described->role(), QAccessible::EditableText);
    EXPECT_NE(described->textInterface(), nullptr);
}

TEST_F(Accessibility, APanelListsItsTextsButNotThePicturesBesideThem) {
    const auto panel = NSView::initWithFrame(NSMakeRect(0, 0, 400, 100));
    // Described before its content is built, as when the panel's name is set on loading.
    QAccessible::queryAccessibleInterface(widgetOf(*panel));
    panel->addSubview(NSImageView::initWithFrame(NSMakeRect(30, 50, 30, 30)));
    panel->addSubview(field("内存：8.0G", true));
    panel->addSubview(NSImageView::initWithFrame(NSMakeRect(30, 10, 30, 30)));
    panel->addSubview(field("型号：MacBookPro10,1", true));
    QAccessibleInterface* described = describe(*panel);
    ASSERT_NE(described, nullptr);
    ASSERT_EQ(described->childCount(), 2);
    EXPECT_EQ(described->child(0)->text(QAccessible::Name), QStringLiteral("内存：8.0G"));
    EXPECT_EQ(described->child(1)->text(QAccessible::Name), QStringLiteral("型号：MacBookPro10,1"));
    EXPECT_EQ(described->indexOfChild(described->child(1)), 1);
    EXPECT_EQ(described->indexOfChild(describe(*panel->subviews()[0])), -1);
}

TEST_F(Accessibility, TheClearButtonTakesTheNameItsFieldGives) {
    QLineEdit search;
    search.setProperty("clearButtonName", QStringLiteral("清除搜索框"));
    search.setClearButtonEnabled(true);
    platform::nameClearButton(search);
    const auto buttons = search.findChildren<QToolButton*>();
    ASSERT_FALSE(buttons.isEmpty());
    EXPECT_EQ(QAccessible::queryAccessibleInterface(buttons.front())->text(QAccessible::Name),
              QStringLiteral("清除搜索框"));
}

}  // namespace
