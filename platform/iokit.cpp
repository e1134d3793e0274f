#include "platform/iokit.h"

#include <span>
#include <unordered_map>
#include <variant>
#include <vector>

#include "platform/machine.h"

namespace platform {
namespace {

struct RegistryEntry {
    RegistryEntryId id;
};
struct Iterator {
    std::vector<RegistryEntryId> entries;
    std::size_t next = 0;
};
using Object = std::variant<RegistryEntry, Iterator>;

// The port names handed out, as the kernel's port table would hold them. Everything runs on
// the main thread, so the tables need no lock.
struct PortTable {
    std::uint32_t lastName = 0x1000;
    std::unordered_map<std::uint32_t, Object> objects;
    std::unordered_map<std::uint32_t, std::unique_ptr<UserClient>> connections;
    // Handed out less released through IOObjectRelease or IOServiceClose: a handle's destructor
    // frees what it names but does not count it released.
    std::size_t unreleased = 0;

    std::uint32_t newName() { return ++lastName; }
};

PortTable& ports() {
    static PortTable table;
    return table;
}

IOObject adopt(Object object) {
    const std::uint32_t name = ports().newName();
    ports().objects.emplace(name, std::move(object));
    ++ports().unreleased;
    return IOObject(name);
}

template <typename Kind>
Kind* lookUp(const IOObject& object) {
    const auto found = ports().objects.find(object.name());
    return found == ports().objects.end() ? nullptr : std::get_if<Kind>(&found->second);
}

}  // namespace

kern_return_t IOMasterPort(mach_port_t /*bootstrapPort*/, mach_port_t* masterPort) {
    if (masterPort != nullptr) {
        *masterPort = kIOMasterPortDefault;
    }
    return KERN_SUCCESS;
}

task_port_t mach_task_self() {
    return 1;
}

CFMutableDictionaryRef IOServiceMatching(const char* name) {
    if (name == nullptr) {
        return nullptr;
    }
    return std::make_unique<MatchingDictionary>(MatchingDictionary{name});
}

io_service_t IOServiceGetMatchingService(mach_port_t /*masterPort*/,
                                         CFMutableDictionaryRef matching) {
    if (!matching) {
        return IOObject();
    }
    const auto entries = currentMachine().registryEntries(matching->className);
    if (!entries || entries->empty()) {
        return IOObject();
    }
    return adopt(RegistryEntry{entries->front()});
}

kern_return_t IOServiceGetMatchingServices(mach_port_t /*masterPort*/,
                                           CFMutableDictionaryRef matching,
                                           io_iterator_t* existing) {
    if (!matching || existing == nullptr) {
        return kIOReturnBadArgument;
    }
    auto entries = currentMachine().registryEntries(matching->className);
    if (!entries) {
        return kIOReturnError;
    }
    *existing = adopt(Iterator{std::move(*entries)});
    return KERN_SUCCESS;
}

io_object_t IOIteratorNext(io_iterator_t& iterator) {
    Iterator* walk = lookUp<Iterator>(iterator);
    if (walk == nullptr || walk->next >= walk->entries.size()) {
        return IOObject();
    }
    return adopt(RegistryEntry{walk->entries[walk->next++]});
}

void ObjectNames::release(std::uint32_t name) {
    IOObjectRelease(IOObject(name));
}

void ObjectNames::drop(std::uint32_t name) {
    if (name != 0) {
        ports().objects.erase(name);
    }
}

kern_return_t IOObjectRelease(io_object_t object) {
    // Names are never reused, so the handle's own destructor finding nothing left is harmless.
    if (ports().objects.erase(object.name()) == 0) {
        return kIOReturnBadArgument;
    }
    --ports().unreleased;
    return KERN_SUCCESS;
}

CFStringRef IORegistryEntryCreateCFProperty(const io_registry_entry_t& entry, std::string_view key,
                                            CFAllocatorRef /*allocator*/,
                                            IOOptionBits /*options*/) {
    const RegistryEntry* found = lookUp<RegistryEntry>(entry);
    if (found == nullptr) {
        return nullptr;
    }
    auto value = currentMachine().registryProperty(found->id, key);
    if (!value) {
        return nullptr;
    }
    return std::make_unique<const CFString>(CFString{std::move(*value)});
}

void IORegistryEntryRequestCFProperty(const io_registry_entry_t& entry, std::string_view key,
                                      IORegistryPropertyDone done) {
    const RegistryEntry* found = lookUp<RegistryEntry>(entry);
    if (found == nullptr) {
        done(nullptr, PropertyAbsence::NotRecorded);
        return;
    }
    currentMachine().requestRegistryProperty(
        found->id, key,
        [done = std::move(done)](std::optional<std::string> value, PropertyAbsence why) {
            done(value ? std::make_unique<const CFString>(CFString{std::move(*value)}) : nullptr,
                 why);
        });
}

void ConnectionNames::release(std::uint32_t name) {
    IOServiceClose(IOConnection(name));
}

void ConnectionNames::drop(std::uint32_t name) {
    if (name != 0) {
        ports().connections.erase(name);
    }
}

kern_return_t IOServiceOpen(const io_service_t& service, task_port_t /*owningTask*/,
                            std::uint32_t type, io_connect_t* connect) {
    const RegistryEntry* found = lookUp<RegistryEntry>(service);
    if (found == nullptr || connect == nullptr) {
        return kIOReturnBadArgument;
    }
    std::unique_ptr<UserClient> client;
    const kern_return_t status = currentMachine().openUserClient(found->id, type, &client);
    if (status != KERN_SUCCESS) {
        return status;
    }
    if (!client) {
        return kIOReturnError;
    }
    const std::uint32_t name = ports().newName();
    ports().connections.emplace(name, std::move(client));
    ++ports().unreleased;
    *connect = IOConnection(name);
    return KERN_SUCCESS;
}

kern_return_t IOConnectCallStructMethod(const io_connect_t& connect, std::uint32_t selector,
                                        const void* input, std::size_t inputSize, void* output,
                                        std::size_t* outputSize) {
    const auto found = ports().connections.find(connect.name());
    if (found == ports().connections.end() || outputSize == nullptr) {
        return kIOReturnNotOpen;
    }
    const std::span<const std::byte> in(static_cast<const std::byte*>(input),
                                        input == nullptr ? 0 : inputSize);
    const std::span<std::byte> out(static_cast<std::byte*>(output),
                                   output == nullptr ? 0 : *outputSize);
    return found->second->callStructMethod(selector, in, out, outputSize);
}

kern_return_t IOServiceClose(io_connect_t connect) {
    if (ports().connections.erase(connect.name()) == 0) {
        return kIOReturnNotOpen;
    }
    --ports().unreleased;
    return KERN_SUCCESS;
}

std::size_t IOObjectsInUse() {
    return ports().unreleased;
}

}  // namespace platform
