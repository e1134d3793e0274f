#pragma once

#include <memory>
#include <string>

#include "platform/appkit/ns_font.h"
#include "platform/appkit/ns_view.h"

namespace platform {

// Alignment of a control's text. The values are the ones stored interface descriptions use.
enum NSTextAlignment : long {
    NSLeftTextAlignment = 0,
    NSRightTextAlignment = 1,
    NSCenterTextAlignment = 2,
    NSJustifiedTextAlignment = 3,
    NSNaturalTextAlignment = 4,
};

// A view that shows a value as text and may take the user's input.
class NSControl : public NSView {
  public:
    std::string stringValue() const;
    void setStringValue(const std::string& value);

    // The font the text draws in; null leaves the toolkit's default font.
    std::shared_ptr<NSFont> font() const { return font_; }
    void setFont(std::shared_ptr<NSFont> font);

    NSTextAlignment alignment() const { return alignment_; }
    void setAlignment(NSTextAlignment alignment);

  protected:
    using NSView::NSView;

  private:
    std::shared_ptr<NSFont> font_;
    NSTextAlignment alignment_ = NSNaturalTextAlignment;
};

}  // namespace platform
