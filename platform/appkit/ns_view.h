#pragma once

#include <memory>
#include <vector>

#include "platform/appkit/geometry.h"
#include "platform/appkit/ns_object.h"

namespace platform {

// The toolkit's widget behind a view; only the toolkit backend knows what it is, and reaches it
// through its NativeBridge (platform/qt/native_bridge.h), a friend of the views.
struct NativeView;
class NativeBridge;
class NSMenu;

// A rectangular area of a window that shows something and may hold subviews. A view holds its
// subviews strongly; a subview knows its superview weakly.
class NSView : public NSObject {
  public:
    // A plain view with `frame`.
    static std::shared_ptr<NSView> initWithFrame(NSRect frame);
    ~NSView() override;

    // The rectangle in the superview's coordinates, in points, origin bottom-left.
    NSRect frame() const;
    // Moves and sizes the view. Its placement is fixed when set: it does not follow a later
    // resize of the superview.
    void setFrame(NSRect frame);

    // Adds `view` on top of the other subviews, keeping its frame; the view leaves any superview
    // it had. Adding nothing does nothing.
    void addSubview(std::shared_ptr<NSView> view);
    // Puts `newView` where `oldView` stands in the subviews, keeping newView's own frame;
    // oldView leaves this view. Does nothing when oldView is not a subview of this view.
    void replaceSubviewWith(const std::shared_ptr<NSView>& oldView,
                            std::shared_ptr<NSView> newView);
    void removeFromSuperview();

    // The subviews, back to front.
    const std::vector<std::shared_ptr<NSView>>& subviews() const { return subviews_; }
    std::shared_ptr<NSView> superview() const { return superview_.lock(); }

    // Whether the view is shown on screen now (it and every view above it are visible).
    bool isVisible() const;

    // The view's context menu, held by the view; null for none. Its items' key equivalents work
    // while the view is shown in the active window, unless a text field with the keyboard
    // takes the same key (Ctrl+C copies the field's selection there).
    std::shared_ptr<NSMenu> menu() const { return menu_; }
    void setMenu(std::shared_ptr<NSMenu> menu);

  protected:
    // Views stand around a widget that the toolkit backend made (platform/qt/native_bridge.h).
    explicit NSView(std::unique_ptr<NativeView> native);

  private:
    friend class NativeBridge;

    void attach(std::shared_ptr<NSView> view, std::size_t index);
    void detach(const std::shared_ptr<NSView>& view);

    std::unique_ptr<NativeView> native_;
    NSRect frame_;
    std::vector<std::shared_ptr<NSView>> subviews_;
    std::weak_ptr<NSView> superview_;
    std::shared_ptr<NSMenu> menu_;
};

}  // namespace platform
