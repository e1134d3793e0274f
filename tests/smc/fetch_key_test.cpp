#include <gtest/gtest.h>

#include <cstddef>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "smc/smc_driver.h"
#include "tests/smc/smc_test_fixture.h"

namespace {

using smc::SMCKeyValue;

// An 80-byte block, zero but for the bytes given by offset.
std::vector<std::byte> block(std::initializer_list<std::pair<std::size_t, std::uint8_t>> bytes) {
    std::vector<std::byte> all(80, std::byte{0});
    for (const auto& [offset, value] : bytes) {
        all[offset] = std::byte{value};
    }
    return all;
}

// A record that holds the key alone: size 0, type "" and zero bytes.
bool holdsOnlyTheKey(const SMCKeyValue& val, const std::string& key) {
    return val.key == key && val.dataSize == 0 && val.dataType[0] == '\0' &&
           val.bytes == smc::SMCBytes{};
}

class FetchKeyTest : public smc_testing::SMCTest {
  protected:
    FetchKeyTest() { wireDriver(); }

    // Opens a connection, reads `key` into `val` and closes; returns SMCFetchKey's status.
    platform::kern_return_t fetch(const char* key, SMCKeyValue* val) {
        platform::io_connect_t conn;
        EXPECT_EQ(smc::SMCOpenDriver(&conn), 0);
        const platform::kern_return_t status = smc::SMCFetchKey(key, val, conn);
        smc::SMCCloseDriver(std::move(conn));
        return status;
    }
};

// The record a read fills is checked over the Linux controller, key by key.
TEST_F(FetchKeyTest, ExchangesSendTheKeyCodeThenTheSize) {
    driver->keys["TC0D"] = {2, 0x73703738, {0x2D, 0x9A}};
    driver->answeredOutputSize = 0;  // the output size must be set afresh for each exchange
    SMCKeyValue val;
    ASSERT_EQ(fetch("TC0D", &val), platform::KERN_SUCCESS);

    ASSERT_EQ(driver->exchanges.size(), 2u);
    const auto& keyInfo = driver->exchanges[0];
    const auto& readBytes = driver->exchanges[1];
    EXPECT_EQ(keyInfo.input, block({{0, 0x44}, {1, 0x30}, {2, 0x43}, {3, 0x54}, {42, 9}}));
    EXPECT_EQ(readBytes.input,
              block({{0, 0x44}, {1, 0x30}, {2, 0x43}, {3, 0x54}, {28, 2}, {42, 5}}));
    for (const auto& exchange : driver->exchanges) {
        EXPECT_EQ(exchange.selector, 2u);
        EXPECT_EQ(exchange.offeredOutputSize, 80u);
        EXPECT_EQ(exchange.outputCapacity, 80u);
    }
}

TEST_F(FetchKeyTest, RecordTakesTheTypeTextAndAllThirtyTwoBytesWhateverTheSize) {
    smc::SMCBytes full;
    for (std::size_t i = 0; i < full.size(); ++i) {
        full[i] = static_cast<std::uint8_t>(i + 1);
    }
    driver->keys["F0Ac"] = {2, 0x66706532, {full.begin(), full.end()}};
    SMCKeyValue val;
    ASSERT_EQ(fetch("F0Ac", &val), platform::KERN_SUCCESS);
    EXPECT_EQ(std::string(val.dataType), "fpe2");
    EXPECT_EQ(val.bytes, full);
    // A key the driver does not know answers type code 0.
    SMCKeyValue unknown;
    ASSERT_EQ(fetch("F7Ac", &unknown), platform::KERN_SUCCESS);
    EXPECT_TRUE(holdsOnlyTheKey(unknown, "F7Ac"));
}

TEST_F(FetchKeyTest, FailedExchangeGivesItsStatusAndOnlyWhatWasRead) {
    driver->keys["TC0D"] = {2, 0x73703738, {0x2D, 0x9A}};
    driver->keyInfoStatus = platform::kIOReturnError;
    SMCKeyValue val;
    val.dataSize = 7;
    val.bytes.fill(0xAA);
    EXPECT_EQ(fetch("TC0D", &val), platform::kIOReturnError);
    EXPECT_EQ(driver->exchanges.size(), 1u);  // no read after a failed key-info
    EXPECT_TRUE(holdsOnlyTheKey(val, "TC0D"));

    driver->keyInfoStatus = platform::KERN_SUCCESS;
    driver->readBytesStatus = platform::kIOReturnNotFound;
    SMCKeyValue read;
    EXPECT_EQ(fetch("TC0D", &read), platform::kIOReturnNotFound);
    EXPECT_EQ(driver->exchanges.size(), 3u);
    EXPECT_EQ(read.dataSize, 2u);
    EXPECT_EQ(std::string(read.dataType), "sp78");
    EXPECT_EQ(read.bytes, smc::SMCBytes{});
}

TEST_F(FetchKeyTest, ClosedConnectionFailsWithoutTouchingTheDriver) {
    SMCKeyValue val;
    EXPECT_EQ(smc::SMCFetchKey("TC0D", &val, platform::io_connect_t{}), platform::kIOReturnNotOpen);
    EXPECT_TRUE(driver->exchanges.empty());
    EXPECT_EQ(std::string(val.key), "TC0D");
}

}  // namespace
