#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/hardware_serial_service.h"
#include "platform/linux/processor_facts.h"
#include "platform/linux/root_files.h"
#include "platform/machine.h"

namespace platform {

// The machine as Linux describes it in /proc, /sys and /etc below a root directory: "/" for
// the running system, or a tree captured from another machine for tests. A captured tree is
// never mixed with the live system: only the user (the effective uid) comes from this process.
// Installed memory is read once (physicalMemory). Within a snapshot (Machine::beginSnapshot) every
// file is read once (RootFiles moments), by every call and every SMC connection made meanwhile,
// the processor's facts are worked out from that one reading and each sysctl value once; outside
// one every call reads afresh.
//
// Registry: class "IOPlatformExpertDevice" has one entry on machines with DMI or a device
// tree, with the text properties "IOPlatformSerialNumber" and "IOPlatformUUID" where the
// firmware gives them (platform_identity.h). Class "AppleSMC" has one entry on machines with a
// processor temperature or fan sensor (sensor_readings.h); opening it with type 0 gives the
// stand-in SMC user client (smc_user_client.h), any other type kIOReturnBadArgument.
// A machine given a hardware-serial service (the running system's hostname service) always has
// the platform entry, DMI or not, and on the user's request asks the service for the serial
// number that the firmware's files do not give this user (requested_serial_number.h).
class LinuxMachine final : public Machine {
  public:
    // The machine below `root` ("/" in production), for the effective user of this process.
    explicit LinuxMachine(std::filesystem::path root);
    // The same for the user `uid`, which a captured tree's /etc/passwd should know.
    LinuxMachine(std::filesystem::path root, std::uint32_t uid);
    // The machine below `root` for the effective user, asking `serialService` (not null) on
    // the user's request for the serial number.
    LinuxMachine(std::filesystem::path root,
                 std::shared_ptr<linux_backend::HardwareSerialService> serialService);

    // See linux/sysctl_values.h for the names and their sources.
    std::optional<std::vector<std::byte>> sysctlValue(std::string_view name) override;
    std::optional<std::string> localizedHostName() override;
    std::optional<std::string> userName() override;
    std::optional<std::string> fullUserName() override;
    // The kernel's name for itself, "Linux".
    std::optional<std::string> operatingSystemName() override;
    // Installed memory in bytes (installedMemoryBytes), read on the first call only: it takes a
    // file per memory block (some two hundred on a 24 GiB machine) and every record asks for it,
    // while memory brought online later by hotplug is rare enough to wait for the next start.
    std::uint64_t physicalMemory() override;
    // Never std::nullopt: the files below the root are the registry.
    std::optional<std::vector<RegistryEntryId>> registryEntries(
        std::string_view className) override;
    std::optional<std::string> registryProperty(RegistryEntryId entry,
                                                std::string_view key) override;
    void requestRegistryProperty(RegistryEntryId entry, std::string_view key,
                                 RegistryPropertyDone done) override;
    kern_return_t openUserClient(RegistryEntryId service, std::uint32_t type,
                                 std::unique_ptr<UserClient>* client) override;
    void beginSnapshot() override;
    void endSnapshot() override;

  private:
    linux_backend::RootFiles files_;
    std::uint32_t uid_;
    std::shared_ptr<linux_backend::HardwareSerialService> serialService_;
    int snapshotDepth_ = 0;  // how many snapshots are open
    std::unique_ptr<linux_backend::ProcessorFacts> snapshotProcessor_;  // within a snapshot
    // Within a snapshot, each sysctl answered once: a value is asked for its size, then its bytes.
    std::map<std::string, std::optional<std::vector<std::byte>>, std::less<>> snapshotValues_;
    std::optional<std::uint64_t> physicalMemory_;  // once read
};

}  // namespace platform
