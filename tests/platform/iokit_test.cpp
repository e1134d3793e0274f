#include "platform/iokit.h"

#include <gtest/gtest.h>

#include "tests/support/scripted_machine.h"

namespace {

using namespace platform;
using testing_support::InstalledMachine;
using testing_support::ScriptedMachine;

class RegistryTest : public ::testing::Test {
  protected:
    std::shared_ptr<ScriptedMachine> machine = std::make_shared<ScriptedMachine>();
    InstalledMachine installed{machine};
};

TEST_F(RegistryTest, MatchingServiceReadsPropertiesAndReleasesEverything) {
    machine->addRegistryEntry("IOPlatformExpertDevice", {{"IOPlatformSerialNumber", "C02X"}});
    {
        io_service_t entry = IOServiceGetMatchingService(
            kIOMasterPortDefault, IOServiceMatching("IOPlatformExpertDevice"));
        ASSERT_TRUE(entry);
        CFStringRef serial = IORegistryEntryCreateCFProperty(entry, "IOPlatformSerialNumber",
                                                             kCFAllocatorDefault, 0);
        ASSERT_TRUE(serial);
        EXPECT_EQ(serial->utf8, "C02X");
        EXPECT_EQ(IORegistryEntryCreateCFProperty(entry, "IOPlatformUUID", kCFAllocatorDefault, 0),
                  nullptr);
        CFRelease(std::move(serial));
        EXPECT_EQ(IOObjectsInUse(), 1u);
        EXPECT_EQ(IOObjectRelease(std::move(entry)), KERN_SUCCESS);
        EXPECT_EQ(IOObjectsInUse(), 0u);
    }
    EXPECT_EQ(IOObjectsInUse(), 0u);
}

TEST_F(RegistryTest, NoEntryGivesNoneAndAbsentDescriptionsMatchNothing) {
    EXPECT_FALSE(IOServiceGetMatchingService(kIOMasterPortDefault,
                                             IOServiceMatching("IOPlatformExpertDevice")));
    EXPECT_FALSE(IOServiceGetMatchingService(kIOMasterPortDefault, IOServiceMatching(nullptr)));
    io_iterator_t iterator;
    EXPECT_EQ(IOServiceGetMatchingServices(kIOMasterPortDefault, nullptr, &iterator),
              kIOReturnBadArgument);
    EXPECT_EQ(IOObjectRelease(IOObject()), kIOReturnBadArgument);
}

TEST_F(RegistryTest, UnsearchableRegistryFailsTheSearchAndFindsNothing) {
    machine->addRegistryEntry("AppleSMC", {});
    machine->registryUnsearchable = true;
    io_iterator_t iterator;
    EXPECT_EQ(IOServiceGetMatchingServices(kIOMasterPortDefault, IOServiceMatching("AppleSMC"),
                                           &iterator),
              kIOReturnError);
    EXPECT_FALSE(iterator);
    EXPECT_FALSE(IOServiceGetMatchingService(kIOMasterPortDefault, IOServiceMatching("AppleSMC")));
    EXPECT_EQ(IOObjectsInUse(), 0u);
}

TEST_F(RegistryTest, IteratorWalksEveryMatchThenGivesNone) {
    machine->addRegistryEntry("AppleSMC", {{"name", "first"}});
    machine->addRegistryEntry("Other", {});
    machine->addRegistryEntry("AppleSMC", {{"name", "second"}});
    io_iterator_t iterator;
    ASSERT_EQ(IOServiceGetMatchingServices(kIOMasterPortDefault, IOServiceMatching("AppleSMC"),
                                           &iterator),
              KERN_SUCCESS);
    for (const char* expected : {"first", "second"}) {
        io_object_t service = IOIteratorNext(iterator);
        ASSERT_TRUE(service);
        EXPECT_EQ(IORegistryEntryCreateCFProperty(service, "name", kCFAllocatorDefault, 0)->utf8,
                  expected);
    }
    EXPECT_FALSE(IOIteratorNext(iterator));
    EXPECT_EQ(IOObjectRelease(std::move(iterator)), KERN_SUCCESS);
    EXPECT_EQ(IOObjectsInUse(), 0u);
}

class EchoClient : public UserClient {
  public:
    kern_return_t callStructMethod(std::uint32_t selector, std::span<const std::byte> input,
                                   std::span<std::byte> output, std::size_t* outputSize) override {
        if (selector != 2) {
            return kIOReturnBadArgument;
        }
        const std::size_t n = std::min(input.size(), output.size());
        std::copy_n(input.begin(), n, output.begin());
        *outputSize = n;
        return KERN_SUCCESS;
    }
};

TEST_F(RegistryTest, ConnectionCarriesBlocksUntilClosed) {
    machine->addRegistryEntry("AppleSMC", {});
    machine->setUserClientFactory([](RegistryEntryId, std::uint32_t type, auto* client) {
        if (type != 0) {
            return kIOReturnBadArgument;
        }
        *client = std::make_unique<EchoClient>();
        return KERN_SUCCESS;
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
    EXPECT_EQ(IOObjectsInUse(), 1u);
    EXPECT_EQ(IOServiceClose(std::move(connection)), KERN_SUCCESS);
    EXPECT_EQ(IOObjectsInUse(), 0u);

    io_connect_t closed;
    EXPECT_EQ(IOConnectCallStructMethod(closed, 2, in, sizeof in, out, &outSize), kIOReturnNotOpen);
}

}  // namespace
