#pragma once

#include <memory>
#include <string>

namespace platform {

// A typeface at a size.
class NSFont {
  public:
    // The font `name` at `size` points (the units of frames: device-independent pixels), or null
    // when no such font is installed. A few families that desktop Linux lacks ("Lucida Grande")
    // resolve to the installed sans-serif that stands in for them; Chinese text falls back to an
    // installed CJK font either way.
    static std::shared_ptr<NSFont> fontWithName(const std::string& name, double size);

    NSFont(std::string familyName, double pointSize)
        : familyName_(std::move(familyName)), pointSize_(pointSize) {}

    // The family the font draws with, which may be the stand-in for the name asked for.
    const std::string& familyName() const { return familyName_; }
    double pointSize() const { return pointSize_; }

  private:
    std::string familyName_;
    double pointSize_;
};

}  // namespace platform
