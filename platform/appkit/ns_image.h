#pragma once

#include <memory>
#include <string>

#include "platform/appkit/ns_view.h"

namespace platform {

struct NativeImage;

// A picture from the application's resources.
class NSImage {
  public:
    // The resource image `name` (such as "cpu.png"), or null when the resources hold none.
    static std::shared_ptr<NSImage> imageNamed(const std::string& name);

    ~NSImage();

    const std::string& name() const { return name_; }

  private:
    friend class NativeBridge;
    NSImage(std::string name, std::unique_ptr<NativeImage> native);

    std::string name_;
    std::unique_ptr<NativeImage> native_;
};

// A box that shows one image, scaled to fit.
class NSImageView : public NSView {
  public:
    static std::shared_ptr<NSImageView> initWithFrame(NSRect frame);

    std::shared_ptr<NSImage> image() const { return image_; }
    // Shows `image`; null leaves the box empty.
    void setImage(std::shared_ptr<NSImage> image);

  protected:
    using NSView::NSView;

  private:
    friend class NativeBridge;

    std::shared_ptr<NSImage> image_;
};

}  // namespace platform
