#include "platform/appkit/ns_image.h"

#include "platform/qt/embedded_image.h"
#include "platform/qt/image_widget.h"
#include "platform/qt/native_bridge.h"

namespace platform {

std::shared_ptr<NSImage> NSImage::imageNamed(const std::string& name) {
    const QImage image = embeddedImage(QStringLiteral(":/images/") + QString::fromStdString(name));
    if (image.isNull()) {
        return nullptr;
    }
    return NativeBridge::makeImage(name, QPixmap::fromImage(image));
}

std::shared_ptr<NSImage> NativeBridge::makeImage(std::string name, QPixmap pixmap) {
    return std::shared_ptr<NSImage>(new NSImage(
        std::move(name), std::make_unique<NativeImage>(NativeImage{std::move(pixmap)})));
}

NSImage::NSImage(std::string name, std::unique_ptr<NativeImage> native)
    : name_(std::move(name)), native_(std::move(native)) {}

NSImage::~NSImage() = default;

std::shared_ptr<NSImageView> NSImageView::initWithFrame(NSRect frame) {
    return placedAt(std::shared_ptr<NSImageView>(
                        new NSImageView(std::make_unique<NativeView>(NativeView{new ImageWidget}))),
                    frame);
}

void NSImageView::setImage(std::shared_ptr<NSImage> image) {
    image_ = std::move(image);
    if (auto* widget = qobject_cast<ImageWidget*>(widgetOf(*this))) {
        widget->setPixmap(image_ ? NativeBridge::pixmapOf(*image_) : QPixmap());
    }
}

}  // namespace platform
