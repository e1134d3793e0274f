#include "platform/linux/linux_machine.h"

#include <unistd.h>

#include "platform/linux/computer_name.h"
#include "platform/linux/memory_size.h"
#include "platform/linux/platform_identity.h"
#include "platform/linux/requested_serial_number.h"
#include "platform/linux/sensor_readings.h"
#include "platform/linux/smc_user_client.h"
#include "platform/linux/sysctl_values.h"
#include "platform/linux/user_account.h"

namespace platform {
namespace {

constexpr std::string_view kPlatformExpertClass = "IOPlatformExpertDevice";
constexpr std::string_view kSmcClass = "AppleSMC";
constexpr RegistryEntryId kPlatformExpertEntry = 1;
constexpr RegistryEntryId kSmcEntry = 2;
constexpr std::uint32_t kSmcUserClientType = 0;

}  // namespace

LinuxMachine::LinuxMachine(std::filesystem::path root)
    : LinuxMachine(std::move(root), ::geteuid()) {}

LinuxMachine::LinuxMachine(std::filesystem::path root, std::uint32_t uid)
    : files_(root), uid_(uid) {}

LinuxMachine::LinuxMachine(std::filesystem::path root,
                           std::shared_ptr<linux_backend::HardwareSerialService> serialService)
    : LinuxMachine(std::move(root)) {
    serialService_ = std::move(serialService);
}

std::optional<std::vector<std::byte>> LinuxMachine::sysctlValue(std::string_view name) {
    if (snapshotProcessor_) {
        if (const auto known = snapshotValues_.find(name); known != snapshotValues_.end()) {
            return known->second;
        }
        return snapshotValues_
            .emplace(name, linux_backend::sysctlValue(files_, *snapshotProcessor_, name))
            .first->second;
    }
    linux_backend::ProcessorFacts processor(files_);
    return linux_backend::sysctlValue(files_, processor, name);
}

void LinuxMachine::beginSnapshot() {
    if (snapshotDepth_++ == 0) {
        files_.beginMoment();
        snapshotProcessor_ = std::make_unique<linux_backend::ProcessorFacts>(files_);
    }
}

void LinuxMachine::endSnapshot() {
    if (snapshotDepth_ > 0 && --snapshotDepth_ == 0) {
        snapshotProcessor_.reset();
        snapshotValues_.clear();
        files_.endMoment();
    }
}

std::optional<std::string> LinuxMachine::localizedHostName() {
    return linux_backend::computerName(files_);
}

std::optional<std::string> LinuxMachine::userName() {
    const auto account = linux_backend::userAccount(files_, uid_);
    return account ? std::optional(account->login) : std::nullopt;
}

std::optional<std::string> LinuxMachine::fullUserName() {
    const auto account = linux_backend::userAccount(files_, uid_);
    return account ? std::optional(linux_backend::fullNameOf(*account)) : std::nullopt;
}

std::optional<std::string> LinuxMachine::operatingSystemName() {
    return files_.read("/proc/sys/kernel/ostype");
}

std::uint64_t LinuxMachine::physicalMemory() {
    if (!physicalMemory_) {
        physicalMemory_ = linux_backend::installedMemoryBytes(files_);
    }
    return *physicalMemory_;
}

std::optional<std::vector<RegistryEntryId>> LinuxMachine::registryEntries(
    std::string_view className) {
    std::vector<RegistryEntryId> entries;
    if (className == kPlatformExpertClass &&
        (serialService_ || linux_backend::hasPlatformDescription(files_))) {
        entries.push_back(kPlatformExpertEntry);
    } else if (className == kSmcClass && linux_backend::hasSensorSource(files_)) {
        entries.push_back(kSmcEntry);
    }
    return entries;
}

std::optional<std::string> LinuxMachine::registryProperty(RegistryEntryId entry,
                                                          std::string_view key) {
    if (entry != kPlatformExpertEntry) {
        return std::nullopt;
    }
    if (key == "IOPlatformSerialNumber") {
        return linux_backend::platformSerialNumber(files_);
    }
    if (key == "IOPlatformUUID") {
        return linux_backend::platformUuid(files_);
    }
    return std::nullopt;
}

void LinuxMachine::requestRegistryProperty(RegistryEntryId entry, std::string_view key,
                                           RegistryPropertyDone done) {
    if (entry == kPlatformExpertEntry && key == "IOPlatformSerialNumber") {
        linux_backend::requestSerialNumber(files_, serialService_.get(), std::move(done));
        return;
    }
    Machine::requestRegistryProperty(entry, key, std::move(done));
}

kern_return_t LinuxMachine::openUserClient(RegistryEntryId service, std::uint32_t type,
                                           std::unique_ptr<UserClient>* client) {
    if (service != kSmcEntry) {
        return kIOReturnNotFound;
    }
    if (type != kSmcUserClientType || client == nullptr) {
        return kIOReturnBadArgument;
    }
    *client = std::make_unique<linux_backend::SmcUserClient>(files_);
    return KERN_SUCCESS;
}

}  // namespace platform
