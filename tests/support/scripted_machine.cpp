#include "tests/support/scripted_machine.h"

#include <cstring>

namespace testing_support {
namespace {

template <typename T>
std::vector<std::byte> littleEndianBytes(T value) {
    std::vector<std::byte> bytes(sizeof value);
    for (std::size_t i = 0; i < sizeof value; ++i) {
        bytes[i] = static_cast<std::byte>((value >> (8 * i)) & 0xFF);
    }
    return bytes;
}

}  // namespace

void ScriptedMachine::setSysctlText(const std::string& name, const std::string& text) {
    std::vector<std::byte> bytes(text.size() + 1, std::byte{0});
    std::memcpy(bytes.data(), text.data(), text.size());
    sysctls_[name] = std::move(bytes);
}

void ScriptedMachine::setSysctlBytes(const std::string& name, std::vector<std::byte> bytes) {
    sysctls_[name] = std::move(bytes);
}

void ScriptedMachine::setSysctlUInt32(const std::string& name, std::uint32_t value) {
    sysctls_[name] = littleEndianBytes(value);
}

void ScriptedMachine::setSysctlUInt64(const std::string& name, std::uint64_t value) {
    sysctls_[name] = littleEndianBytes(value);
}

void ScriptedMachine::removeSysctl(const std::string& name) {
    sysctls_.erase(name);
}

platform::RegistryEntryId ScriptedMachine::addRegistryEntry(
    const std::string& className, std::map<std::string, std::string> properties) {
    const auto id = static_cast<platform::RegistryEntryId>(entries_.size() + 1);
    entries_[id] = Entry{className, std::move(properties)};
    return id;
}

std::optional<std::vector<std::byte>> ScriptedMachine::sysctlValue(std::string_view name) {
    const int asked = ++sysctlQueries[std::string(name)];
    const auto found = sysctls_.find(std::string(name));
    if (found == sysctls_.end() || (asked > 1 && answeredOnce_.count(std::string(name)) > 0)) {
        return std::nullopt;
    }
    return found->second;
}

std::optional<std::vector<platform::RegistryEntryId>> ScriptedMachine::registryEntries(
    std::string_view className) {
    ++registryQueries[std::string(className)];
    if (registryUnsearchable) {
        return std::nullopt;
    }
    std::vector<platform::RegistryEntryId> ids;
    for (const auto& [id, entry] : entries_) {
        if (entry.className == className) {
            ids.push_back(id);
        }
    }
    return ids;
}

std::optional<std::string> ScriptedMachine::registryProperty(platform::RegistryEntryId entry,
                                                             std::string_view key) {
    const auto found = entries_.find(entry);
    if (found == entries_.end()) {
        return std::nullopt;
    }
    const auto property = found->second.properties.find(std::string(key));
    if (property == found->second.properties.end()) {
        return std::nullopt;
    }
    return property->second;
}

platform::kern_return_t ScriptedMachine::openUserClient(
    platform::RegistryEntryId service, std::uint32_t type,
    std::unique_ptr<platform::UserClient>* client) {
    if (!userClientFactory_) {
        return platform::kIOReturnNotFound;
    }
    return userClientFactory_(service, type, client);
}

InstalledMachine::InstalledMachine(std::shared_ptr<platform::Machine> machine) {
    platform::installMachine(std::move(machine));
}

InstalledMachine::~InstalledMachine() {
    platform::installMachine(nullptr);
}

}  // namespace testing_support
