#include "platform/appkit/class_registry.h"

#include <map>

#include "platform/appkit/ns_application.h"

namespace platform {
namespace {

// Filled while statics initialise, so it must exist before the first of them asks.
std::map<std::string, ClassFactory>& registry() {
    static std::map<std::string, ClassFactory> factories;
    return factories;
}

}  // namespace

bool registerClass(const std::string& className, ClassFactory factory) {
    registry()[className] = std::move(factory);
    return true;
}

std::shared_ptr<NSObject> makeObjectOfClass(const std::string& className) {
    const auto found = registry().find(className);
    return found != registry().end() ? found->second() : nullptr;
}

}  // namespace platform
