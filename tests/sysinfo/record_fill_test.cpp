#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include "platform/iokit.h"
#include "sysinfo/var_system_info.h"
#include "tests/support/scripted_laptop.h"
#include "tests/support/scripted_machine.h"

namespace {

using sysinfo::VarSystemInfo;
using testing_support::InstalledMachine;
using testing_support::ScriptedMachine;

// A 2012 laptop, as its kernel and registry would answer.
class RecordFillTest : public ::testing::Test {
  protected:
    RecordFillTest() { testing_support::scriptLaptop2012(*machine); }

    // Every registry object a record takes is let go before the fill returns.
    void TearDown() override { EXPECT_EQ(platform::IOObjectsInUse(), 0u); }

    std::shared_ptr<ScriptedMachine> machine = std::make_shared<ScriptedMachine>();
    InstalledMachine installed{machine};
};

// The launch log shows the processor, memory, system and model facts of this laptop and the
// lookup its serial number; the device panel shows its processor name.
TEST_F(RecordFillTest, EveryPropertyComesFromTheMachine) {
    const VarSystemInfo record;
    EXPECT_EQ(record.sysName(), "研发部的 MacBook Pro");
    EXPECT_EQ(record.sysUserName(), "lin");
    EXPECT_EQ(record.sysFullUserName(), "Lin Wei");
    EXPECT_EQ(record.sysModelName(), "");
}

TEST_F(RecordFillTest, NumbersOfEitherWidthAndTextsWhoseSecondReadFails) {
    machine->setSysctlUInt32("hw.cpufrequency", 2'300'000'000);
    machine->setSysctlUInt64("hw.physicalcpu", 4);
    machine->memory = 1ULL << 63;  // the byte count is shown as a signed decimal
    machine->answerSysctlOnce("hw.model");
    machine->answerSysctlOnce("machdep.cpu.brand_string");
    const VarSystemInfo record;
    EXPECT_EQ(record.sysProcessorSpeed(), "2300000000");
    EXPECT_EQ(record.sysProcessorCount(), 4u);
    EXPECT_EQ(record.sysPhysicalMemory(), "-9223372036854775808");
    EXPECT_EQ(record.sysModelID(), "");
    EXPECT_EQ(record.sysProcessorName(), "");
}

TEST_F(RecordFillTest, TextIsReadWithinTheValuesOwnBytes) {
    for (const auto& [value, text] : {std::pair<std::string, std::string>{"", ""},
                                      {"MacBookPro10,1", "MacBookPro10,1"},
                                      {std::string("Mac\0Book", 8), "Mac"}}) {
        const auto bytes = std::as_bytes(std::span(value));
        machine->setSysctlBytes("hw.model", {bytes.begin(), bytes.end()});
        EXPECT_EQ(VarSystemInfo().sysModelID(), text) << "value of " << value.size();
    }
}

TEST_F(RecordFillTest, MissingFactsAreAbsentButMemoryAndModelName) {
    auto bare = std::make_shared<ScriptedMachine>();
    InstalledMachine swap(bare);
    const VarSystemInfo nothing;
    EXPECT_EQ(nothing.sysPhysicalMemory(), "0");
    EXPECT_EQ(nothing.sysModelName(), "");
    // The serial number is absent for want of the registry entry.
    EXPECT_FALSE(nothing.sysName() || nothing.sysOSName() || nothing.sysOSVersion() ||
                 nothing.sysSerialNumber() || nothing.sysModelID() || nothing.sysProcessorName() ||
                 nothing.sysProcessorSpeed() || nothing.sysProcessorCount());

    bare->addRegistryEntry("IOPlatformExpertDevice", {{"IOPlatformSerialNumber", "C02J"}});
    const VarSystemInfo record;
    EXPECT_EQ(record.sysSerialNumber(), "C02J");
    EXPECT_EQ(record.sysUUID(), std::nullopt);  // no such property
}

// A record is a snapshot of its moment, and the next one asks the machine again; the one
// missing fact is absent in it alone.
TEST_F(RecordFillTest, EachRecordAsksAgainAndKeepsItsOwnValues) {
    VarSystemInfo first;
    machine->setSysctlText("hw.model", "iMac13,2");
    machine->removeSysctl("hw.cpufrequency");
    const VarSystemInfo second;
    EXPECT_EQ(first.sysModelID(), "MacBookPro10,1");
    EXPECT_EQ(second.sysModelID(), "iMac13,2");
    EXPECT_EQ(second.sysProcessorSpeed(), std::nullopt);
    EXPECT_EQ(second.sysProcessorName(), "Intel Core i7");
    first.setSysProcessorCount(std::nullopt);
    EXPECT_EQ(second.sysProcessorCount(), 4u);
}

}  // namespace
