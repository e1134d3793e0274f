#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "smc/smc_driver.h"
#include "tests/smc/smc_test_fixture.h"

namespace {

using smc_testing::SMCTest;
using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;

class OpenDriverTest : public SMCTest {};

TEST_F(OpenDriverTest, OpensTypeZeroQuietlyAndCloses) {
    wireDriver();
    platform::io_connect_t conn;
    CaptureStdout();
    EXPECT_EQ(smc::SMCOpenDriver(&conn), 0);
    EXPECT_EQ(GetCapturedStdout(), "");
    EXPECT_TRUE(conn);
    EXPECT_EQ(driver->openedTypes, std::vector<std::uint32_t>{0});
    // Only the connection is held: the iterator and the service are already let go.
    EXPECT_EQ(platform::IOObjectsInUse(), 1u);
    EXPECT_EQ(smc::SMCCloseDriver(std::move(conn)), platform::KERN_SUCCESS);
}

TEST_F(OpenDriverTest, MissingControllerIsReported) {
    driver->hasService = false;
    wireDriver();
    platform::io_connect_t conn;
    CaptureStdout();
    EXPECT_EQ(smc::SMCOpenDriver(&conn), 1);
    EXPECT_EQ(GetCapturedStdout(), "Error: no SMC found\n");
    EXPECT_FALSE(conn);
    EXPECT_TRUE(driver->openedTypes.empty());
}

TEST_F(OpenDriverTest, UnsearchableRegistryIsReportedWithItsStatus) {
    wireDriver();
    machine->registryUnsearchable = true;
    platform::io_connect_t conn;
    CaptureStdout();
    EXPECT_EQ(smc::SMCOpenDriver(&conn), 1);
    EXPECT_EQ(GetCapturedStdout(), "Error: IOServiceGetMatchingServices() = e00002bc\n");
    EXPECT_FALSE(conn);
    EXPECT_TRUE(driver->openedTypes.empty());
    EXPECT_EQ(platform::IOObjectsInUse(), 0u);
}

struct OpenFailure {
    platform::kern_return_t status;
    std::string line;
};

class OpenFailureTest : public SMCTest, public ::testing::WithParamInterface<OpenFailure> {};

TEST_P(OpenFailureTest, RefusedOpenIsReportedWithItsStatus) {
    driver->openStatus = GetParam().status;
    wireDriver();
    platform::io_connect_t conn;
    CaptureStdout();
    EXPECT_EQ(smc::SMCOpenDriver(&conn), 1);
    EXPECT_EQ(GetCapturedStdout(), GetParam().line);
    EXPECT_FALSE(conn);
    EXPECT_EQ(driver->openedTypes.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Statuses, OpenFailureTest,
                         ::testing::Values(OpenFailure{platform::kIOReturnNotFound,
                                                       "Error: IOServiceOpen() = e00002f0\n"},
                                           OpenFailure{platform::kIOReturnBadArgument,
                                                       "Error: IOServiceOpen() = e00002c2\n"},
                                           OpenFailure{0x2A, "Error: IOServiceOpen() = 0000002a\n"},
                                           OpenFailure{-1, "Error: IOServiceOpen() = ffffffff\n"}));

}  // namespace
