#pragma once

#include <memory>
#include <string>

#include "platform/appkit/ns_object.h"
#include "platform/appkit/ns_view.h"

namespace platform {

struct NativeWindow;
class NativeBridge;

// A top-level window. Closing it only hides it; it lives until the application ends.
class NSWindow : public NSObject {
  public:
    ~NSWindow() override;

    // The view that fills the window below its toolbar.
    std::shared_ptr<NSView> contentView() const { return contentView_; }

    // Shows the window, brings it to the front and gives it the keyboard.
    void makeKeyAndOrderFront(const std::shared_ptr<NSObject>& sender);
    // Hides the window, as the user's close button does.
    void close();
    bool isVisible() const;

    std::string title() const;

  private:
    friend class NativeBridge;
    // Wraps a window the toolkit backend made. It is laid out at once, at the smallest size that
    // holds its content, so that its content view has its final size before anything is put in,
    // and keeps that size: the user cannot resize it.
    explicit NSWindow(std::unique_ptr<NativeWindow> native);

    std::unique_ptr<NativeWindow> native_;
    std::shared_ptr<NSView> contentView_;
};

}  // namespace platform
