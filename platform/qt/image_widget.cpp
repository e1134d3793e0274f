#include "platform/qt/image_widget.h"

#include <QPainter>

namespace platform {

void ImageWidget::setPixmap(const QPixmap& pixmap) {
    source_ = pixmap;
    scaled_ = QPixmap();
    update();
}

void ImageWidget::paintEvent(QPaintEvent* /*event*/) {
    if (source_.isNull() || width() <= 0 || height() <= 0) {
        return;
    }
    const qreal ratio = devicePixelRatioF();
    const QSize devicePixels = (QSizeF(size()) * ratio).toSize();
    const QSize fitted = source_.size().scaled(devicePixels, Qt::KeepAspectRatio);
    if (scaled_.isNull() || scaled_.size() != fitted || scaled_.devicePixelRatio() != ratio) {
        scaled_ = source_.scaled(fitted, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        scaled_.setDevicePixelRatio(ratio);
    }
    const QSizeF shown = scaled_.deviceIndependentSize();
    const QPointF topLeft((width() - shown.width()) / 2, (height() - shown.height()) / 2);
    QPainter painter(this);
    painter.drawPixmap(topLeft, scaled_);
}

}  // namespace platform
