#include "platform/appkit/ns_image.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>

#include "platform/qt/native_image.h"
#include "platform/qt/native_view.h"

namespace {

using platform::NSImage;
using platform::NSImageView;
using platform::NSMakeRect;

TEST(NSImageTest, LoadsAResourceImageByName) {
    auto image = NSImage::imageNamed("red-8x4.png");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->name(), "red-8x4.png");
    EXPECT_EQ(image->native().pixmap.size(), QSize(8, 4));
}

TEST(NSImageTest, AMissingImageIsNull) {
    EXPECT_EQ(NSImage::imageNamed("cpu-that-is-not-there.png"), nullptr);
    EXPECT_EQ(NSImage::imageNamed(""), nullptr);
}

TEST(NSImageViewTest, DrawsItsImageScaledIntoItsBoxKeepingItsShape) {
    auto view = NSImageView::initWithFrame(NSMakeRect(0, 0, 30, 30));
    view->setImage(NSImage::imageNamed("red-8x4.png"));
    const QImage shot = platform::widgetOf(*view)->grab().toImage();

    ASSERT_EQ(shot.size(), QSize(30, 30));
    // 8 x 4 fitted into 30 x 30 is 30 x 15, centred: red across the middle, nothing above.
    EXPECT_EQ(QColor(shot.pixel(15, 15)), QColor(Qt::red));
    EXPECT_EQ(QColor(shot.pixel(1, 10)), QColor(Qt::red));
    EXPECT_NE(QColor(shot.pixel(15, 3)), QColor(Qt::red));
}

TEST(NSImageViewTest, ANullImageLeavesTheBoxEmpty) {
    auto view = NSImageView::initWithFrame(NSMakeRect(0, 0, 30, 30));
    view->setImage(NSImage::imageNamed("red-8x4.png"));
    view->setImage(nullptr);
    const QImage shot = platform::widgetOf(*view)->grab().toImage();

    EXPECT_EQ(view->image(), nullptr);
    EXPECT_NE(QColor(shot.pixel(15, 15)), QColor(Qt::red));
}

}  // namespace
