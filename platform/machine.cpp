#include "platform/machine.h"

namespace platform {
namespace {

// What the platform calls see before a backend is installed: a machine that has nothing.
class EmptyMachine final : public Machine {
  public:
    std::optional<std::vector<std::byte>> sysctlValue(std::string_view) override {
        return std::nullopt;
    }
    std::optional<std::string> localizedHostName() override { return std::nullopt; }
    std::optional<std::string> userName() override { return std::nullopt; }
    std::optional<std::string> fullUserName() override { return std::nullopt; }
    std::optional<std::string> operatingSystemName() override { return std::nullopt; }
    std::uint64_t physicalMemory() override { return 0; }
    std::optional<std::vector<RegistryEntryId>> registryEntries(std::string_view) override {
        return std::vector<RegistryEntryId>{};
    }
    std::optional<std::string> registryProperty(RegistryEntryId, std::string_view) override {
        return std::nullopt;
    }
    kern_return_t openUserClient(RegistryEntryId, std::uint32_t,
                                 std::unique_ptr<UserClient>*) override {
        return kIOReturnNotFound;
    }
};

std::shared_ptr<Machine>& installed() {
    static std::shared_ptr<Machine> machine = std::make_shared<EmptyMachine>();
    return machine;
}

}  // namespace

void Machine::requestRegistryProperty(RegistryEntryId entry, std::string_view key,
                                      RegistryPropertyDone done) {
    done(registryProperty(entry, key), PropertyAbsence::NotRecorded);
}

void installMachine(std::shared_ptr<Machine> machine) {
    installed() = machine ? std::move(machine) : std::make_shared<EmptyMachine>();
}

Machine& currentMachine() {
    return *installed();
}

}  // namespace platform
