#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/appkit/ns_object.h"

namespace platform {

// A command of a menu: its title, the action it sends and the key that sends it too.
class NSMenuItem {
  public:
    // `action` is a selector such as "copy:"; `keyEquivalent` a letter that, with the platform's
    // command modifier (Ctrl on Linux), sends the action while the item's view is in the active
    // window; empty for none.
    NSMenuItem(std::string title, std::string action, std::string keyEquivalent)
        : title_(std::move(title)),
          action_(std::move(action)),
          keyEquivalent_(std::move(keyEquivalent)) {}

    const std::string& title() const { return title_; }
    const std::string& action() const { return action_; }
    const std::string& keyEquivalent() const { return keyEquivalent_; }

    // The object the action goes to, held weakly: a controller usually owns the view whose menu
    // holds this item.
    std::shared_ptr<NSObject> target() const { return target_.lock(); }
    void setTarget(const std::shared_ptr<NSObject>& target) { target_ = target; }

    // Sends the action to the target, with no sender. Does nothing when the target is gone.
    void sendAction() const {
        if (const auto receiver = target()) {
            receiver->performAction(action_, nullptr);
        }
    }

  private:
    std::string title_;
    std::string action_;
    std::string keyEquivalent_;
    std::weak_ptr<NSObject> target_;
};

// An ordered list of commands, shown as a view's context menu.
class NSMenu {
  public:
    void addItem(std::shared_ptr<NSMenuItem> item) { items_.push_back(std::move(item)); }
    const std::vector<std::shared_ptr<NSMenuItem>>& items() const { return items_; }

  private:
    std::vector<std::shared_ptr<NSMenuItem>> items_;
};

}  // namespace platform
