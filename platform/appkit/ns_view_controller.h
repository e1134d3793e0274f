#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/appkit/ns_object.h"
#include "platform/appkit/ns_view.h"
#include "platform/foundation.h"

namespace platform {

// Controls one view that is loaded from the interface description named `nibName`.
class NSViewController : public NSObject {
  public:
    // A controller whose view is not loaded yet. `bundle` null means the application's own.
    NSViewController(std::string nibName, const NSBundle* bundle);

    // The controller's view. The first request loads the interface description, connects its
    // outlets to this controller (setValueForKey) and then sends awakeFromNib; later requests
    // return the same view. A description that cannot be loaded gives an empty plain view, so
    // that callers always get one.
    std::shared_ptr<NSView> view();
    bool isViewLoaded() const { return view_ != nullptr; }
    const std::string& nibName() const { return nibName_; }

  protected:
    // Sent once, after the view is loaded and its outlets are connected.
    virtual void awakeFromNib() {}

  private:
    std::string nibName_;
    std::shared_ptr<NSView> view_;
};

}  // namespace platform
