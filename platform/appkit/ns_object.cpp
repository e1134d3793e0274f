#include "platform/appkit/ns_object.h"

namespace platform {

bool NSObject::setValueForKey(std::string_view /*key*/, std::shared_ptr<NSObject> /*value*/) {
    return false;
}

bool NSObject::performAction(std::string_view /*selector*/,
                             const std::shared_ptr<NSObject>& /*sender*/) {
    return false;
}

}  // namespace platform
