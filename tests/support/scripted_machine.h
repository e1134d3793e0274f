#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/machine.h"

namespace testing_support {

// A machine whose every answer is set by the test, and which counts what it was asked.
class ScriptedMachine : public platform::Machine {
  public:
    // Values are stored as the kernel would copy them out.
    void setSysctlText(const std::string& name, const std::string& text);  // adds the NUL
    void setSysctlBytes(const std::string& name, std::vector<std::byte> bytes);
    void setSysctlUInt32(const std::string& name, std::uint32_t value);
    void setSysctlUInt64(const std::string& name, std::uint64_t value);
    void removeSysctl(const std::string& name);
    // Lets `name` answer its first query only and fail every later one, like a value that goes
    // away between a size query and the read.
    void answerSysctlOnce(const std::string& name) { answeredOnce_.insert(name); }

    // Adds an entry of `className` with the given text properties; returns its id.
    platform::RegistryEntryId addRegistryEntry(const std::string& className,
                                               std::map<std::string, std::string> properties);

    // Decides what opening a user client on `service` gives.
    using UserClientFactory =
        std::function<platform::kern_return_t(platform::RegistryEntryId service, std::uint32_t type,
                                              std::unique_ptr<platform::UserClient>* client)>;
    void setUserClientFactory(UserClientFactory factory) {
        userClientFactory_ = std::move(factory);
    }

    std::optional<std::string> hostName;
    std::optional<std::string> user;
    std::optional<std::string> fullUser;
    std::optional<std::string> osName;
    std::uint64_t memory = 0;

    // When set, every registry search fails.
    bool registryUnsearchable = false;

    // How often each sysctl name and each registry class was asked for.
    std::map<std::string, int> sysctlQueries;
    std::map<std::string, int> registryQueries;

    std::optional<std::vector<std::byte>> sysctlValue(std::string_view name) override;
    std::optional<std::string> localizedHostName() override { return hostName; }
    std::optional<std::string> userName() override { return user; }
    std::optional<std::string> fullUserName() override { return fullUser; }
    std::optional<std::string> operatingSystemName() override { return osName; }
    std::uint64_t physicalMemory() override { return memory; }
    std::optional<std::vector<platform::RegistryEntryId>> registryEntries(
        std::string_view className) override;
    std::optional<std::string> registryProperty(platform::RegistryEntryId entry,
                                                std::string_view key) override;
    platform::kern_return_t openUserClient(platform::RegistryEntryId service, std::uint32_t type,
                                           std::unique_ptr<platform::UserClient>* client) override;

  private:
    struct Entry {
        std::string className;
        std::map<std::string, std::string> properties;
    };
    std::map<std::string, std::vector<std::byte>> sysctls_;
    std::set<std::string> answeredOnce_;
    std::map<platform::RegistryEntryId, Entry> entries_;
    UserClientFactory userClientFactory_;
};

// Installs a machine for the lifetime of a test and puts an empty one back afterwards.
class InstalledMachine {
  public:
    explicit InstalledMachine(std::shared_ptr<platform::Machine> machine);
    ~InstalledMachine();
    InstalledMachine(const InstalledMachine&) = delete;
    InstalledMachine& operator=(const InstalledMachine&) = delete;
};

}  // namespace testing_support
