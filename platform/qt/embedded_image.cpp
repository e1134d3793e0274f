#include "platform/qt/embedded_image.h"

#include <QFile>
#include <QPixmap>
#include <cstdint>
#include <cstring>

namespace platform {
namespace {

// Larger than any image the application draws; a size past it is a malformed file.
constexpr std::uint32_t kMostPixelsAcross = 4096;

}  // namespace

QImage embeddedImage(const QString& path) {
    QFile file(path + QStringLiteral(".pixels"));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray bytes = file.readAll();
    std::uint32_t size[2] = {};
    if (bytes.size() < static_cast<qsizetype>(sizeof size)) {
        return {};
    }
    std::memcpy(size, bytes.constData(), sizeof size);
    const auto [width, height] = size;
    if (width == 0 || height == 0 || width > kMostPixelsAcross || height > kMostPixelsAcross ||
        bytes.size() != static_cast<qsizetype>(sizeof size + std::size_t{width} * height * 4)) {
        return {};
    }
    // Rows of 32-bit pixels have no padding, in the file as in the image.
    QImage image(static_cast<int>(width), static_cast<int>(height),
                 QImage::Format_ARGB32_Premultiplied);
    std::memcpy(image.bits(), bytes.constData() + sizeof size, image.sizeInBytes());
    return image;
}

QIcon embeddedIcon(const QString& path) {
    const QImage image = embeddedImage(path);
    return image.isNull() ? QIcon(path) : QIcon(QPixmap::fromImage(image));
}

}  // namespace platform
