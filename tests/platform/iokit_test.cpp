#include "platform/iokit.h"

#include <gtest/gtest.h>

#include "tests/support/scripted_machine.h"

namespace {

using namespace platform;
using testing_support::InstalledMachine;
using testing_support::ScriptedMachine;

class RegistryTest : public ::testing::Test {
  protected:
    void TearDown() override { EXPECT_EQ(IOObjectsInUse(), 0u); }

    io_iterator_t search(const char* className, kern_return_t expected = KERN_SUCCESS) {
        io_iterator_t iterator;
        EXPECT_EQ(IOServiceGetMatchingServices(kIOMasterPortDefault, IOServiceMatching(className),
                                               &iterator),
                  expected);
        return iterator;
    }

    std::shared_ptr<ScriptedMachine> machine = std::make_shared<ScriptedMachine>();
    InstalledMachine installed{machine};
};

TEST_F(RegistryTest, MatchingServiceReadsItsTextProperties) {
    machine->addRegistryEntry("IOPlatformExpertDevice", {{"IOPlatformSerialNumber", "C02X"}});
    io_service_t entry = IOServiceGetMatchingService(kIOMasterPortDefault,
                                                     IOServiceMatching("IOPlatformExpertDevice"));
    ASSERT_TRUE(entry);
    CFStringRef serial =
        IORegistryEntryCreateCFProperty(entry, "IOPlatformSerialNumber", kCFAllocatorDefault, 0);
    ASSERT_TRUE(serial);
    EXPECT_EQ(serial->utf8, "C02X");
    CFRelease(std::move(serial));
    EXPECT_EQ(IORegistryEntryCreateCFProperty(entry, "IOPlatformUUID", kCFAllocatorDefault, 0),
              nullptr);
    EXPECT_EQ(IOObjectRelease(std::move(entry)), KERN_SUCCESS);
}

TEST_F(RegistryTest, NothingToMatchGivesNone) {
    EXPECT_FALSE(IOServiceGetMatchingService(kIOMasterPortDefault,
                                             IOServiceMatching("IOPlatformExpertDevice")));
    EXPECT_FALSE(IOServiceGetMatchingService(kIOMasterPortDefault, IOServiceMatching(nullptr)));
    io_iterator_t iterator;
    EXPECT_EQ(IOServiceGetMatchingServices(kIOMasterPortDefault, nullptr, &iterator),
              kIOReturnBadArgument);
    EXPECT_EQ(IOObjectRelease(IOObject()), kIOReturnBadArgument);
    machine->addRegistryEntry("AppleSMC", {});
    machine->registryUnsearchable = true;
    EXPECT_FALSE(search("AppleSMC", kIOReturnError));
    EXPECT_FALSE(IOServiceGetMatchingService(kIOMasterPortDefault, IOServiceMatching("AppleSMC")));
}

TEST_F(RegistryTest, IteratorWalksEveryMatchThenGivesNone) {
    machine->addRegistryEntry("AppleSMC", {{"name", "first"}});
    machine->addRegistryEntry("Other", {});
    machine->addRegistryEntry("AppleSMC", {{"name", "second"}});
    io_iterator_t iterator = search("AppleSMC");
    for (const char* expected : {"first", "second"}) {
        io_object_t service = IOIteratorNext(iterator);
        ASSERT_TRUE(service);
        EXPECT_EQ(IORegistryEntryCreateCFProperty(service, "name", kCFAllocatorDefault, 0)->utf8,
                  expected);
        IOObjectRelease(std::move(service));
    }
    EXPECT_FALSE(IOIteratorNext(iterator));
    EXPECT_EQ(IOObjectRelease(std::move(iterator)), KERN_SUCCESS);
}

class EchoClient : public UserClient {
  public:
    kern_return_t callStructMethod(std::uint32_t selector, std::span<const std::byte> input,
                                   std::span<std::byte> output, std::size_t* outputSize) override {
        const std::size_t n = std::min(input.size(), output.size());
        std::copy_n(input.begin(), n, output.begin());
        *outputSize = n;
        return selector == 2 ? KERN_SUCCESS : kIOReturnBadArgument;
    }
};

TEST_F(RegistryTest, ConnectionCarriesBlocksUntilClosed) {
    machine->addRegistryEntry("AppleSMC", {});
    machine->setUserClientFactory([](RegistryEntryId, std::uint32_t type, auto* client) {
        *client = std::make_unique<EchoClient>();
        return type == 0 ? KERN_SUCCESS : kIOReturnBadArgument;
    });
    io_service_t service =
        IOServiceGetMatchingService(kIOMasterPortDefault, IOServiceMatching("AppleSMC"));
    io_connect_t connection;
    EXPECT_EQ(IOServiceOpen(service, mach_task_self(), 1, &connection), kIOReturnBadArgument);
    EXPECT_FALSE(connection);
    ASSERT_EQ(IOServiceOpen(service, mach_task_self(), 0, &connection), KERN_SUCCESS);
    IOObjectRelease(std::move(service));

    const char in[4] = {'F', 'N', 'u', 'm'};
    char out[8] = {};
    std::size_t outSize = sizeof out;
    EXPECT_EQ(IOConnectCallStructMethod(connection, 2, in, sizeof in, out, &outSize), KERN_SUCCESS);
    EXPECT_EQ(std::string(out, outSize), "FNum");
    EXPECT_EQ(IOServiceClose(std::move(connection)), KERN_SUCCESS);
    EXPECT_EQ(IOConnectCallStructMethod(connection, 2, in, sizeof in, out, &outSize),
              kIOReturnNotOpen);
}

}  // namespace
