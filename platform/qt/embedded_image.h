#pragma once

#include <QIcon>
#include <QImage>
#include <QString>

namespace platform {

// The images the build embeds as their pixels (resources/images/png_pixels.cpp), so that none is
// decoded while the window is made: the image that the file at `path` (":/images/cpu.png") was
// is at `path` + ".pixels". Null when there is none there or it is malformed.
QImage embeddedImage(const QString& path);

// The embedded image at `path` as an icon, or else the image file at `path` itself.
QIcon embeddedIcon(const QString& path);

}  // namespace platform
