#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace platform {

// The root of every object that an interface description can hold or connect. Objects are
// shared: a strong reference is a std::shared_ptr, a weak one a std::weak_ptr.
class NSObject : public std::enable_shared_from_this<NSObject> {
  public:
    virtual ~NSObject() = default;

    // Connects the outlet `key` to `value`; the interface-description loader calls it for each
    // outlet it connects. Returns false when the object has no such outlet.
    virtual bool setValueForKey(std::string_view key, std::shared_ptr<NSObject> value);

    // Runs the action `selector` (such as "showDeviceInfo:") with its sender; controls of an
    // interface description send their actions through it. Returns false when the object does
    // not answer the selector.
    virtual bool performAction(std::string_view selector, const std::shared_ptr<NSObject>& sender);
};

}  // namespace platform
