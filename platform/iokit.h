#pragma once

// The I/O registry and driver calls, over the installed machine (platform/machine.h).
//
// Objects (registry entries, services, iterators) and driver connections are move-only handles.
// The call that hands one out makes the caller its sole owner; IOObjectRelease and
// IOServiceClose take the handle by value, so a released handle cannot be used again. A handle
// that goes out of scope unreleased frees its object then, so nothing is held past an early
// return; it still counts as unreleased for IOObjectsInUse, so leak checks see it.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "platform/cfstring.h"
#include "platform/kern_return.h"
#include "platform/machine.h"

namespace platform {

using mach_port_t = std::uint32_t;
using task_port_t = mach_port_t;
using IOOptionBits = std::uint32_t;

inline constexpr mach_port_t MACH_PORT_NULL = 0;
// The main port that every registry lookup may name instead of asking IOMasterPort for it.
inline constexpr mach_port_t kIOMasterPortDefault = 0;

// Gives the I/O Kit main port. There is one registry per machine, so this always succeeds.
kern_return_t IOMasterPort(mach_port_t bootstrapPort, mach_port_t* masterPort);

// The current task, as the owner of driver connections.
task_port_t mach_task_self();

// A description that matches the registry entries of one class.
struct MatchingDictionary {
    std::string className;
};
// Owned by whoever holds it until a lookup consumes it.
using CFMutableDictionaryRef = std::unique_ptr<MatchingDictionary>;

// Matching description for registry class `name`; null when `name` is null.
CFMutableDictionaryRef IOServiceMatching(const char* name);

// The sole owner of one port name, or of none (0). `Names` holds the names of its kind:
// Names::release(name) releases one as its release call does, and Names::drop(name) frees one
// without counting it released; both do nothing for 0.
template <typename Names>
class PortOwner {
  public:
    PortOwner() = default;
    explicit PortOwner(std::uint32_t name) : name_(name) {}
    PortOwner(PortOwner&& other) noexcept : name_(std::exchange(other.name_, 0)) {}
    // Releases what this one held, then takes over what `other` held.
    PortOwner& operator=(PortOwner&& other) noexcept {
        if (this != &other) {
            Names::release(std::exchange(name_, std::exchange(other.name_, 0)));
        }
        return *this;
    }
    PortOwner(const PortOwner&) = delete;
    PortOwner& operator=(const PortOwner&) = delete;
    ~PortOwner() { Names::drop(name_); }

    // The port name; 0 for none.
    std::uint32_t name() const { return name_; }
    explicit operator bool() const { return name_ != 0; }

  private:
    std::uint32_t name_ = 0;
};

// The names of registry entries, services and iterators, released by IOObjectRelease.
struct ObjectNames {
    static void release(std::uint32_t name);
    static void drop(std::uint32_t name);
};
// The names of driver connections, released by IOServiceClose.
struct ConnectionNames {
    static void release(std::uint32_t name);
    static void drop(std::uint32_t name);
};

// The sole owner of one I/O Kit object, or of none (0).
using IOObject = PortOwner<ObjectNames>;
using io_object_t = IOObject;
using io_service_t = IOObject;
using io_registry_entry_t = IOObject;
using io_iterator_t = IOObject;

// The first entry that `matching` matches, or none (0). Consumes `matching`.
io_service_t IOServiceGetMatchingService(mach_port_t masterPort, CFMutableDictionaryRef matching);

// Stores into *existing an iterator over every entry that `matching` matches (possibly none).
// Consumes `matching`. Returns KERN_SUCCESS; kIOReturnBadArgument for a null description, or
// kIOReturnError when the registry cannot be searched, leaving *existing untouched.
kern_return_t IOServiceGetMatchingServices(mach_port_t masterPort, CFMutableDictionaryRef matching,
                                           io_iterator_t* existing);

// The iterator's next object, or none (0) once it is exhausted; advances `iterator`.
io_object_t IOIteratorNext(io_iterator_t& iterator);

// Releases the object. Returns KERN_SUCCESS, or kIOReturnBadArgument for none.
kern_return_t IOObjectRelease(io_object_t object);

// A new copy of the entry's text property `key`, or null when the entry lacks it. `options` is
// 0. A read never prompts and never leaves the process. The caller releases the value with
// CFRelease.
CFStringRef IORegistryEntryCreateCFProperty(const io_registry_entry_t& entry, std::string_view key,
                                            CFAllocatorRef allocator, IOOptionBits options);

// Receives a property read on the user's request: a new copy of the value, which the receiver
// releases with CFRelease, or null and why it is absent.
using IORegistryPropertyDone = std::function<void(CFStringRef value, PropertyAbsence why)>;

// Reads the entry's text property `key` for the user's own request: unlike
// IORegistryEntryCreateCFProperty, the backend may ask the user to authorize the read and a
// system service for it (Machine::requestRegistryProperty), and the caller never waits for
// them. `done` is called exactly once: at once when nothing needs asking, else later from the
// event loop; the entry may be released before then. An entry that is not one gives null and
// NotRecorded at once.
void IORegistryEntryRequestCFProperty(const io_registry_entry_t& entry, std::string_view key,
                                      IORegistryPropertyDone done);

// The sole owner of one open connection to a driver's user client, or of none.
using IOConnection = PortOwner<ConnectionNames>;
using io_connect_t = IOConnection;

// Opens a user-client connection of `type` to `service` for `owningTask`. On success stores it
// into *connect and returns KERN_SUCCESS; otherwise returns the failure, *connect untouched.
kern_return_t IOServiceOpen(const io_service_t& service, task_port_t owningTask, std::uint32_t type,
                            io_connect_t* connect);

// Sends `inputSize` bytes to method `selector` of the connection's user client and lets it fill
// at most *outputSize bytes of `output`; *outputSize then holds what it wrote.
// Returns the client's status, or kIOReturnNotOpen when `connect` is not an open connection.
kern_return_t IOConnectCallStructMethod(const io_connect_t& connect, std::uint32_t selector,
                                        const void* input, std::size_t inputSize, void* output,
                                        std::size_t* outputSize);

// Closes the connection. Returns KERN_SUCCESS, or kIOReturnNotOpen for none.
kern_return_t IOServiceClose(io_connect_t connect);

// How many objects and connections have been handed out and not released through
// IOObjectRelease or IOServiceClose, those whose handles went out of scope unreleased included;
// for leak checks.
std::size_t IOObjectsInUse();

}  // namespace platform
