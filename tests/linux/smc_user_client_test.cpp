#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <tuple>
#include <vector>

#include "platform/iokit.h"
#include "platform/linux/linux_machine.h"
#include "platform/smc_param_block.h"
#include "smc/smc_driver.h"
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

using Bytes = std::vector<std::uint8_t>;

// One key read as the application makes it: open the controller, read the key, close. `key`
// must read as `bytes` of `type`, or not be found when `type` is empty.
void expectKey(const std::string& key, const char* type, const Bytes& bytes) {
    SCOPED_TRACE(key);
    io_connect_t connection;
    ASSERT_EQ(smc::SMCOpenDriver(&connection), 0);
    smc::SMCKeyValue val;
    EXPECT_EQ(smc::SMCFetchKey(key.c_str(), &val, connection),
              *type ? KERN_SUCCESS : kIOReturnNotFound);
    smc::SMCCloseDriver(std::move(connection));
    EXPECT_STREQ(val.dataType, type);
    EXPECT_EQ(Bytes(val.bytes.begin(), val.bytes.begin() + std::min(val.dataSize, 32u)), bytes);
}

class SmcTest : public ::testing::Test {
  protected:
    void TearDown() override { EXPECT_EQ(IOObjectsInUse(), 0u); }
};

TEST_F(SmcTest, AnswersKeysFromTheTreesSensors) {
    // Each tree with its TC0D (sp78) and F0Ac, F1Ac, ... (fpe2); FNum counts the fans.
    const std::tuple<const char*, Bytes, std::vector<Bytes>> cases[] = {
        // coretemp Package id 0 at 52.5 degrees, over the hotter Core 1 and acpitz; 2655 rpm.
        {"intel-laptop", {0x34, 0x80}, {{0x29, 0x7C}}},
        // k10temp Tdie at 51.25 degrees, not the offset Tctl; nct6798 fan1 at 1150 rpm and fan3
        // at 870 rpm, its empty header fan2 and the graphics card's fan do not count.
        {"amd-desktop", {0x33, 0x40}, {{0x11, 0xF8}, {0x0D, 0x98}}},
        // applesmc keeps its files on the platform device, under hwmon0/device: 61.75 degrees,
        // 2161 and 1998 rpm.
        {"macbook-linux", {0x3D, 0xC0}, {{0x21, 0xC4}, {0x1F, 0x38}}},
    };
    for (const auto& [tree, temperature, fans] : cases) {
        InstalledMachine installed(std::make_shared<LinuxMachine>(fixture(tree)));
        SCOPED_TRACE(tree);
        expectKey("TC0D", "sp78", temperature);
        expectKey("FNum", "ui8 ", {static_cast<std::uint8_t>(fans.size())});
        for (std::size_t fan = 0; fan <= fans.size(); ++fan) {
            // The fan's one digit between "F" and "Ac", as in "F0Ac" to "F9Ac".
            const std::string key{'F', static_cast<char>('0' + fan), 'A', 'c'};
            expectKey(key, fan < fans.size() ? "fpe2" : "",
                      fan < fans.size() ? fans[fan] : Bytes{});
        }
        expectKey("TA0P", "", {});
    }
}

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
