#include "platform/foundation.h"

#include "platform/machine.h"

namespace platform {

std::optional<std::string> NSHost::localizedName() const {
    return currentMachine().localizedHostName();
}

std::optional<std::string> NSUserName() {
    return currentMachine().userName();
}

std::optional<std::string> NSFullUserName() {
    return currentMachine().fullUserName();
}

std::optional<std::string> NSProcessInfo::operatingSystemName() const {
    return currentMachine().operatingSystemName();
}

std::uint64_t NSProcessInfo::physicalMemory() const {
    return currentMachine().physicalMemory();
}

std::optional<std::string> NSBundle::objectForInfoDictionaryKey(const std::string& key) const {
    if (key == "CFBundleVersion") {
        return QUELMARN_VERSION;
    }
    return std::nullopt;
}

}  // namespace platform
