#pragma once

namespace platform {

// A rectangle in points. In a view it is measured in its parent's coordinates, with the origin
// at the parent's bottom-left corner and y growing upward.
struct NSRect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    bool operator==(const NSRect&) const = default;
};

inline NSRect NSMakeRect(double x, double y, double width, double height) {
    return NSRect{x, y, width, height};
}

}  // namespace platform
