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

    std::shared_ptr<ScriptedMachine> machine = std::make_shared<ScriptedMachine>();
    InstalledMachine installed{machine};
};

// What the search of a registry that cannot be searched returns, the sensor controller's open
// reports.
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
    EXPECT_FALSE(IOServiceGetMatchingService(kIOMasterPortDefault, IOServiceMatching("AppleSMC")));
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
        IOObjectRelease(std::move(service));
    }
    EXPECT_FALSE(IOIteratorNext(iterator));
    EXPECT_EQ(IOObjectRelease(std::move(iterator)), KERN_SUCCESS);
}

}  // namespace
