#pragma once

#include <memory>
#include <string>

#include "platform/appkit/ns_object.h"

namespace platform {

// A new object of the class registered as `className` (registerClass), or null when none is.
std::shared_ptr<NSObject> makeObjectOfClass(const std::string& className);

}  // namespace platform
