#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <vector>

#include "platform/iokit.h"
#include "platform/linux/linux_machine.h"
#include "platform/linux/smc_keys.h"
#include "smc/smc_key.h"
#include "smc/smc_param_block.h"
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

struct KeyRead {
    kern_return_t status = KERN_SUCCESS;
    std::string type;
    std::vector<std::uint8_t> bytes;  // the value bytes, as many as the key's size
};

// One sensor query as the application makes it: open the controller, ask for the key's size
// and type, read that many bytes, close.
KeyRead readKey(const char* key) {
    KeyRead read;
    io_service_t service = smcService();
    io_connect_t connection;
    read.status = IOServiceOpen(service, mach_task_self(), 0, &connection);
    IOObjectRelease(std::move(service));
    if (read.status != KERN_SUCCESS) {
        return read;
    }
    smc::SMCParamBlock input;
    smc::SMCParamBlock output;
    input.key = smc::SMCKeyCode(key);
    const auto exchange = [&](std::uint8_t command) {
        input.command = command;
        std::size_t outputSize = sizeof output;
        read.status = IOConnectCallStructMethod(connection, smc::kSMCBlockSelector, &input,
                                                sizeof input, &output, &outputSize);
        return read.status == KERN_SUCCESS;
    };
    if (exchange(smc::SMCCommandKeyInfo)) {
        read.type = smc::SMCTypeText(output.dataType).data();
        input.dataSize = output.dataSize;
        if (exchange(smc::SMCCommandReadBytes)) {
            read.bytes.assign(output.bytes, output.bytes + std::min(input.dataSize, 32u));
        }
    }
    IOServiceClose(std::move(connection));
    return read;
}

class SmcTest : public ::testing::Test {
  protected:
    void TearDown() override { EXPECT_EQ(IOObjectsInUse(), 0u); }
};

struct KeyCase {
    const char* tree;
    const char* key;
    kern_return_t status;
    const char* type;
    std::vector<std::uint8_t> bytes;
};

TEST_F(SmcTest, AnswersKeysFromTheTreesSensors) {
    const KeyCase cases[] = {
        // coretemp Package id 0 at 52.5 degrees, over the hotter Core 1 and acpitz.
        {"intel-laptop", "TC0D", KERN_SUCCESS, "sp78", {0x34, 0x80}},
        {"intel-laptop", "FNum", KERN_SUCCESS, "ui8 ", {1}},
        {"intel-laptop", "F0Ac", KERN_SUCCESS, "fpe2", {0x29, 0x7C}},  // 2655 rpm
        {"intel-laptop", "F1Ac", kIOReturnNotFound, "", {}},
        // k10temp Tdie at 51.25 degrees, not the offset Tctl.
        {"amd-desktop", "TC0D", KERN_SUCCESS, "sp78", {0x33, 0x40}},
        // nct6798 fan1 and fan3; its empty header fan2 and the graphics card's fan do not count.
        {"amd-desktop", "FNum", KERN_SUCCESS, "ui8 ", {2}},
        {"amd-desktop", "F0Ac", KERN_SUCCESS, "fpe2", {0x11, 0xF8}},  // 1150 rpm
        {"amd-desktop", "F1Ac", KERN_SUCCESS, "fpe2", {0x0D, 0x98}},  // 870 rpm
        // applesmc keeps its files on the platform device, under hwmon0/device.
        {"macbook-linux", "TC0D", KERN_SUCCESS, "sp78", {0x3D, 0xC0}},  // 61.75 degrees
        {"macbook-linux", "FNum", KERN_SUCCESS, "ui8 ", {2}},
        {"macbook-linux", "F0Ac", KERN_SUCCESS, "fpe2", {0x21, 0xC4}},  // 2161 rpm
        {"macbook-linux", "F1Ac", KERN_SUCCESS, "fpe2", {0x1F, 0x38}},  // 1998 rpm
        {"macbook-linux", "TA0P", kIOReturnNotFound, "", {}},
    };
    for (const auto& [tree, key, status, type, bytes] : cases) {
        SCOPED_TRACE(std::string(tree) + " " + key);
        InstalledMachine installed(std::make_shared<LinuxMachine>(fixture(tree)));
        const KeyRead read = readKey(key);
        EXPECT_EQ(read.status, status);
        EXPECT_EQ(read.type, type);
        EXPECT_EQ(read.bytes, bytes);
    }
}

TEST_F(SmcTest, MachinesWithoutSensorsHaveNoController) {
    linux_test::TempTree empty;
    for (const auto& root : {fixture("bare-vm"), empty.root()}) {
        InstalledMachine installed(std::make_shared<LinuxMachine>(root));
        io_iterator_t services;
        ASSERT_EQ(IOServiceGetMatchingServices(kIOMasterPortDefault, IOServiceMatching("AppleSMC"),
                                               &services),
                  KERN_SUCCESS);
        EXPECT_FALSE(IOIteratorNext(services)) << root;
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
    ASSERT_EQ(IOServiceOpen(service, mach_task_self(), 0, &connection), KERN_SUCCESS);

    const auto call = [&connection](std::uint32_t selector, std::uint8_t command,
                                    std::uint32_t dataSize, std::size_t blockSize) {
        smc::SMCParamBlock input;
        input.key = smc::SMCKeyCode("TC0D");
        input.command = command;
        input.dataSize = dataSize;
        smc::SMCParamBlock output;
        output.dataSize = 0xAAAA;
        std::size_t outputSize = blockSize;
        const kern_return_t status = IOConnectCallStructMethod(connection, selector, &input,
                                                               blockSize, &output, &outputSize);
        EXPECT_EQ(output.dataSize, 0xAAAAu);
        return status;
    };
    EXPECT_EQ(call(3, smc::SMCCommandKeyInfo, 0, 80), kIOReturnBadArgument);
    EXPECT_EQ(call(2, smc::SMCCommandKeyInfo, 0, 79), kIOReturnBadArgument);
    EXPECT_EQ(call(2, 6, 0, 80), kIOReturnBadArgument);
    EXPECT_EQ(call(2, smc::SMCCommandReadBytes, 4, 80), kIOReturnBadArgument);
    IOServiceClose(std::move(connection));
}

TEST(SmcKeysTest, EncodesSp78AndFpe2RoundedDownAndClamped) {
    using Bytes = std::array<std::uint8_t, 2>;
    const std::pair<std::int64_t, Bytes> sp78[] = {
        {45000, {0x2D, 0x00}},  {45999, {0x2D, 0xFF}},   {0, {0x00, 0x00}},
        {-500, {0xFF, 0x80}},   {-1500, {0xFE, 0x80}},   {127999, {0x7F, 0xFF}},
        {200000, {0x7F, 0xFF}}, {-128000, {0x80, 0x00}}, {-200000, {0x80, 0x00}},
    };
    for (const auto& [millidegrees, bytes] : sp78) {
        EXPECT_EQ(linux_backend::smc_keys::sp78Bytes(millidegrees), bytes) << millidegrees;
    }
    const std::pair<std::uint32_t, Bytes> fpe2[] = {
        {1500, {0x17, 0x70}}, {0, {0x00, 0x00}}, {16383, {0xFF, 0xFC}}, {70000, {0xFF, 0xFF}}};
    for (const auto& [rpm, bytes] : fpe2) {
        EXPECT_EQ(linux_backend::smc_keys::fpe2Bytes(rpm), bytes) << rpm;
    }
}

}  // namespace
