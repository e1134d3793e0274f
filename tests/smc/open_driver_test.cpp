#include <gtest/gtest.h>

#include <string>

#include "smc/smc_driver.h"
#include "tests/smc/smc_test_fixture.h"

namespace {

using smc_testing::SMCTest;
using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;
using testing_support::ScriptedMachine;
using testing_support::ScriptedSMC;

class OpenDriverTest : public SMCTest {};

// The Linux controller opens only as type 0, and every captured tree is read through it.
TEST_F(OpenDriverTest, OpensQuietlyAndCloses) {
    wireDriver();
    platform::io_connect_t conn;
    CaptureStdout();
    EXPECT_EQ(smc::SMCOpenDriver(&conn), 0);
    EXPECT_EQ(GetCapturedStdout(), "");
    EXPECT_EQ(smc::SMCCloseDriver(std::move(conn)), platform::KERN_SUCCESS);
}

struct OpenFailure {
    void (*fail)(ScriptedMachine&, ScriptedSMC&);
    std::string line;
    std::size_t opened;  // connections the driver was asked for
};

// Every failure prints its one line, gives no connection and, by the fixture, leaks nothing. A
// machine without a controller is the sensor queries' case.
class OpenFailureTest : public SMCTest, public ::testing::WithParamInterface<OpenFailure> {};

TEST_P(OpenFailureTest, FailureIsReportedWithItsStatus) {
    GetParam().fail(*machine, *driver);
    wireDriver();
    platform::io_connect_t conn;
    CaptureStdout();
    EXPECT_EQ(smc::SMCOpenDriver(&conn), 1);
    EXPECT_EQ(GetCapturedStdout(), GetParam().line);
    EXPECT_FALSE(conn);
    EXPECT_EQ(driver->openedTypes.size(), GetParam().opened);
}

template <platform::kern_return_t status>
void refuseOpen(ScriptedMachine&, ScriptedSMC& smc) {
    smc.openStatus = status;
}

INSTANTIATE_TEST_SUITE_P(
    Paths, OpenFailureTest,
    ::testing::Values(OpenFailure{[](ScriptedMachine& m, ScriptedSMC&) {
                                      m.registryUnsearchable = true;
                                  },
                                  "Error: IOServiceGetMatchingServices() = e00002bc\n", 0},
                      OpenFailure{refuseOpen<platform::kIOReturnNotFound>,
                                  "Error: IOServiceOpen() = e00002f0\n", 1},
                      OpenFailure{refuseOpen<0x2A>, "Error: IOServiceOpen() = 0000002a\n", 1},
                      OpenFailure{refuseOpen<-1>, "Error: IOServiceOpen() = ffffffff\n", 1}));

}  // namespace
