#include "platform/appkit/ns_image.h"

#include <QFile>

#include "platform/qt/image_widget.h"
#include "platform/qt/native_image.h"
#include "platform/qt/native_view.h"

namespace platform {

std::shared_ptr<NSImage> NSImage::imageNamed(const std::string& name) {
    const QString path = QStringLiteral(":/images/") + QString::fromStdString(name);
    QPixmap pixmap;
    if (name.empty() || !QFile::exists(path) || !pixmap.load(path)) {
        return nullptr;
    }
    return std::make_shared<NSImage>(name, std::make_unique<NativeImage>(NativeImage{pixmap}));
}

NSImage::NSImage(std::string name, std::unique_ptr<NativeImage> native)
    : name_(std::move(name)), native_(std::move(native)) {}

NSImage::~NSImage() = default;

std::shared_ptr<NSImageView> NSImageView::initWithFrame(NSRect frame) {
    auto view = std::shared_ptr<NSImageView>(
        new NSImageView(std::make_unique<NativeView>(NativeView{new ImageWidget})));
    view->setFrame(frame);
    return view;
}

void NSImageView::setImage(std::shared_ptr<NSImage> image) {
    image_ = std::move(image);
    if (auto* widget = qobject_cast<ImageWidget*>(widgetOf(*this))) {
        widget->setPixmap(image_ ? image_->native().pixmap : QPixmap());
    }
}

}  // namespace platform
