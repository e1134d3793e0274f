#pragma once

#include <QWidget>
#include <map>
#include <memory>

#include "platform/appkit/ns_view.h"

namespace platform {

// The view of the class that `widget`'s `nsClass` names (see interface_loader.h), which from
// then on owns the widget. An unknown class is logged and wrapped as a plain view.
std::shared_ptr<NSView> wrapWidget(QWidget& widget);

// The views of the widgets of one loaded description, each widget wrapped once (wrapWidget).
class WrappedWidgets {
  public:
    // The view of `widget`, wrapped on the first request. `wrapped`, when given, tells whether
    // this request was the first.
    std::shared_ptr<NSView> viewOf(QWidget& widget, bool* wrapped = nullptr);

  private:
    std::map<const QWidget*, std::shared_ptr<NSView>> views_;
};

// The views of one loaded description: the root's, and those of the widgets asked for, each
// adopted by the view of its parent widget, which is wrapped too if need be. Ask for the
// widgets in back-to-front order, as findChildren gives them, and the subviews keep Qt's order.
class ViewTree {
  public:
    explicit ViewTree(QWidget& root);

    std::shared_ptr<NSView> root() { return views_.viewOf(root_); }
    // The view of `widget`, a descendant of the root or the root itself.
    std::shared_ptr<NSView> viewOf(QWidget& widget);

  private:
    QWidget& root_;
    WrappedWidgets views_;
};

}  // namespace platform
