#pragma once

#include <memory>

#include "platform/appkit/ns_object.h"
#include "platform/appkit/ns_view.h"

namespace platform {

// An item of a window's toolbar that shows a view of its own, such as a search field.
class NSToolbarItem : public NSObject {
  public:
    explicit NSToolbarItem(std::shared_ptr<NSView> view) : view_(std::move(view)) {}

    std::shared_ptr<NSView> view() const { return view_; }

  private:
    std::shared_ptr<NSView> view_;
};

}  // namespace platform
