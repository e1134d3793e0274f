#pragma once

#include <QSize>

class QScreen;

namespace platform {

// The size of `screen` in its own device pixels: the current mode of its output as the display
// server sets it (X11's RandR), which stays exact at a fractional scale where Qt's points times
// its device pixel ratio are off by a rounding. Where the server tells no mode (Wayland, whose
// scales Qt 6.4 takes only as whole numbers, and the offscreen platform) it is that product.
QSize screenPixelSize(const QScreen& screen);

}  // namespace platform
