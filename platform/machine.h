#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/kern_return.h"

namespace platform {

// Identifies one entry of the I/O registry as its backend knows it. 0 is never an entry.
using RegistryEntryId = std::uint32_t;

// Why a registry property read on the user's request is not there.
enum class PropertyAbsence {
    NotRecorded,   // the firmware (and the system's services) hold no such value
    NotPermitted,  // the value exists but this user may not read it, or authorization was refused
};

// Receives a registry property read on the user's request: its value, or none and why.
using RegistryPropertyDone =
    std::function<void(std::optional<std::string> value, PropertyAbsence why)>;

// One open connection to a driver's user client.
class UserClient {
  public:
    virtual ~UserClient() = default;

    // Sends `input` to the method numbered `selector` and fills `output`. On entry *outputSize is
    // the room the caller offers (at most output.size()); the client stores how much it wrote.
    // Returns KERN_SUCCESS or the driver's own non-zero status.
    virtual kern_return_t callStructMethod(std::uint32_t selector, std::span<const std::byte> input,
                                           std::span<std::byte> output,
                                           std::size_t* outputSize) = 0;
};

// The machine the application runs on: every fact and device the system reads comes through
// one of these. Production installs the Linux backend once at start; tests install scripted ones.
// All text is UTF-8. Absent facts are std::nullopt, never an empty placeholder.
class Machine {
  public:
    virtual ~Machine() = default;

    // The value of a named kernel variable, as its bytes would be copied out (text values carry
    // their terminating NUL; numbers are little-endian of their natural width).
    // std::nullopt when the machine has no such variable.
    virtual std::optional<std::vector<std::byte>> sysctlValue(std::string_view name) = 0;

    // The computer's user-visible name.
    virtual std::optional<std::string> localizedHostName() = 0;
    // Login name and full name of the user running the program.
    virtual std::optional<std::string> userName() = 0;
    virtual std::optional<std::string> fullUserName() = 0;
    // The operating system's name, such as "Linux".
    virtual std::optional<std::string> operatingSystemName() = 0;
    // Installed memory in bytes; 0 when it cannot be told.
    virtual std::uint64_t physicalMemory() = 0;

    // The registry entries of a class, first match first; empty when there are none.
    // std::nullopt when the registry cannot be searched at all.
    virtual std::optional<std::vector<RegistryEntryId>> registryEntries(
        std::string_view className) = 0;
    // A text property of an entry; std::nullopt when the entry lacks it.
    virtual std::optional<std::string> registryProperty(RegistryEntryId entry,
                                                        std::string_view key) = 0;
    // A text property of an entry read for the user's own request: unlike registryProperty, the
    // backend may ask the user to authorize the read and a system service for it, and it never
    // waits for them. `done` receives the value, or why it is absent, exactly once: at once
    // when nothing needs asking, else later from the event loop. The default answers at once
    // with registryProperty and calls every absence NotRecorded.
    virtual void requestRegistryProperty(RegistryEntryId entry, std::string_view key,
                                         RegistryPropertyDone done);
    // Opens a user client of the given type on a service entry. On success returns
    // KERN_SUCCESS and stores the client; otherwise returns the failure and leaves *client alone.
    virtual kern_return_t openUserClient(RegistryEntryId service, std::uint32_t type,
                                         std::unique_ptr<UserClient>* client) = 0;

    // Bracket questions that describe one moment, such as the fill of one record or the building
    // of one panel (see MachineSnapshot): in between, the machine may answer from what it has read
    // since the outermost beginning instead of reading the same files again. Brackets nest; the
    // moment ends with the outermost. By default nothing is kept.
    virtual void beginSnapshot() {}
    virtual void endSnapshot() {}
};

// The machine every platform call goes to. Installing replaces the previous one; the platform
// calls then see the new machine. Production installs once, before anything asks.
void installMachine(std::shared_ptr<Machine> machine);

// The installed machine. Before any install this is a machine that has nothing at all.
Machine& currentMachine();

// While one lives, the installed machine's answers may come from one reading of its files
// (Machine::beginSnapshot): make one per moment that should see one machine, such as a launch
// or the building of a panel. One made while another lives shares the outer one's reading.
class MachineSnapshot {
  public:
    MachineSnapshot() : machine_(currentMachine()) { machine_.beginSnapshot(); }
    ~MachineSnapshot() { machine_.endSnapshot(); }
    MachineSnapshot(const MachineSnapshot&) = delete;
    MachineSnapshot& operator=(const MachineSnapshot&) = delete;

  private:
    Machine& machine_;
};

}  // namespace platform
