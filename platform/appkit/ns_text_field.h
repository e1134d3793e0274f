#pragma once

#include <memory>

#include "platform/appkit/ns_control.h"

namespace platform {

// A box of text: an editable field, or with bezel, background, editing and selection switched
// off, a plain label.
class NSTextField : public NSControl {
  public:
    static std::shared_ptr<NSTextField> initWithFrame(NSRect frame);

    bool isBezeled() const { return bezeled_; }
    void setBezeled(bool bezeled);
    bool drawsBackground() const { return drawsBackground_; }
    void setDrawsBackground(bool draws);
    bool isEditable() const { return editable_; }
    void setEditable(bool editable);
    bool isSelectable() const { return selectable_; }
    void setSelectable(bool selectable);

  protected:
    using NSControl::NSControl;

  private:
    friend class NativeBridge;

    // Editing and selection both decide whether the field takes clicks and the keyboard.
    void applyInteraction();

    bool bezeled_ = true;
    bool drawsBackground_ = true;
    bool editable_ = true;
    bool selectable_ = true;
};

}  // namespace platform
