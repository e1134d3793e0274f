#pragma once

#include <QPixmap>

namespace platform {

// The picture behind an NSImage, at the pixel size of its file.
struct NativeImage {
    QPixmap pixmap;
};

}  // namespace platform
