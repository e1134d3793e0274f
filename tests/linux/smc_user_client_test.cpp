#include <gtest/gtest.h>

#include <filesystem>

#include "platform/iokit.h"
#include "platform/linux/linux_machine.h"
#include "platform/smc_param_block.h"
#include "tests/linux/temp_tree.h"
#include "tests/support/scripted_machine.h"

namespace {

using namespace platform;
using testing_support::InstalledMachine;

std::filesystem::path fixture(const char* tree) {
    return std::filesystem::path(QUELMARN_FIXTURES_DIR) / tree;
}

io_service_t smcService() {
    return IOServiceGetMatchingService(kIOMasterPortDefault, IOServiceMatching("AppleSMC"));
}

class SmcTest : public ::testing::Test {
  protected:
    void TearDown() override { EXPECT_EQ(IOObjectsInUse(), 0u); }
};

TEST_F(SmcTest, MachinesWithoutSensorsHaveNoController) {
    linux_test::TempTree empty;
    for (const auto& root : {fixture("bare-vm"), empty.root()}) {
        InstalledMachine installed(std::make_shared<LinuxMachine>(root));
        EXPECT_FALSE(smcService()) << root;
    }
}

// Requests the stand-in refuses, leaving the reply block as it was.
TEST_F(SmcTest, OpensOnlyAsTypeZeroAndRefusesMalformedRequests) {
    InstalledMachine installed(std::make_shared<LinuxMachine>(fixture("macbook-linux")));
    io_service_t service = smcService();
    ASSERT_TRUE(service);
    io_connect_t connection;
    EXPECT_EQ(IOServiceOpen(service, mach_task_self(), 1, &connection), kIOReturnBadArgument);
    EXPECT_FALSE(connection);
    io_service_t platformDevice = IOServiceGetMatchingService(
        kIOMasterPortDefault, IOServiceMatching("IOPlatformExpertDevice"));
    EXPECT_NE(IOServiceOpen(platformDevice, mach_task_self(), 0, &connection), KERN_SUCCESS);
    IOObjectRelease(std::move(platformDevice));
    ASSERT_EQ(IOServiceOpen(service, mach_task_self(), 0, &connection), KERN_SUCCESS);
    IOObjectRelease(std::move(service));

    const auto call = [&connection](std::uint32_t selector, std::uint8_t command,
                                    std::uint32_t dataSize, std::size_t blockSize) {
        SMCParamBlock input{.key = SMCKeyCode("TC0D"), .dataSize = dataSize, .command = command};
        SMCParamBlock output{.dataSize = 0xAAAA};
        std::size_t outputSize = blockSize;
        const kern_return_t status = IOConnectCallStructMethod(connection, selector, &input,
                                                               blockSize, &output, &outputSize);
        EXPECT_EQ(output.dataSize, 0xAAAAu);
        return status;
    };
    EXPECT_EQ(call(3, SMCCommandKeyInfo, 0, 80), kIOReturnBadArgument);
    EXPECT_EQ(call(2, SMCCommandKeyInfo, 0, 79), kIOReturnBadArgument);
    EXPECT_EQ(call(2, 6, 0, 80), kIOReturnBadArgument);
    EXPECT_EQ(call(2, SMCCommandReadBytes, 4, 80), kIOReturnBadArgument);
    IOServiceClose(std::move(connection));
}

}  // namespace
