#include <gtest/gtest.h>

#include "panels/about/about_view_controller.h"
#include "platform/appkit/ns_image.h"
#include "platform/appkit/ns_text_field.h"
#include "tests/panels/plain_label.h"

namespace {

using namespace platform;

TEST(AboutPanel, EachPanelBuildsLogoContactAndVersionAfreshFromThePanelsSize) {
    const auto panel = AboutViewController::initWithNibName("Panel480x400", nullptr);
    const auto view = panel->view();
    ASSERT_EQ(view->frame().width, 480);
    ASSERT_EQ(view->frame().height, 400);
    ASSERT_EQ(view->subviews().size(), 3u);

    const auto logo = std::dynamic_pointer_cast<NSImageView>(view->subviews()[0]);
    const auto contact = std::dynamic_pointer_cast<NSTextField>(view->subviews()[1]);
    const auto version = std::dynamic_pointer_cast<NSTextField>(view->subviews()[2]);
    ASSERT_TRUE(logo && contact && version);

    EXPECT_EQ(logo->frame(), NSMakeRect(165, 200, 150, 150));
    ASSERT_TRUE(logo->image());
    EXPECT_EQ(logo->image()->name(), "quelmarn.png");
    EXPECT_EQ(contact->frame(), NSMakeRect(0, 140, 480, 30));
    EXPECT_EQ(contact->stringValue(), "邮箱：contact@quelmarn.example");
    EXPECT_EQ(version->frame(), NSMakeRect(0, 60, 480, 30));
    EXPECT_EQ(version->stringValue(), "版本：" PROJECT_VERSION_TEXT);

    for (const auto& line : {contact, version}) {
        EXPECT_EQ(line->alignment(), NSCenterTextAlignment);
        expectPlainLabel(*line, 20.0);
    }
    EXPECT_NE(AboutViewController::initWithNibName("Panel480x400", nullptr)->view(), view);
}

}  // namespace
