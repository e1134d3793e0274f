#include "service/device_store.h"

#include <gtest/gtest.h>

#include <fstream>

#include "service/sample_devices.h"
#include "tests/support/temporary_directory.h"

namespace quelmarn::service {
namespace {

using std::chrono::year;
using testing_support::TemporaryDirectory;

TEST(DeviceStoreTest, NewDatabaseHoldsTheSampleDevicesInMissingDirectories) {
    TemporaryDirectory directory;
    DeviceStore store((directory.path() / "a" / "b" / "devices.sqlite3").string());
    ASSERT_GE(sampleDevices().size(), 5u);
    for (const Device& sample : sampleDevices()) {
        EXPECT_EQ(sample.serial.size(), 12u);
        EXPECT_EQ(store.find(sample.serial), sample);
    }
}

TEST(DeviceStoreTest, SavedDevicesReplaceBySerialAndOutliveTheConnection) {
    TemporaryDirectory directory;
    const std::string path = (directory.path() / "devices.sqlite3").string();
    const Device first{"S/N 1", "迷你主机", "Mini9,1", year(2020) / 1 / 2, year(2023) / 1 / 1, ""};
    Device second = first;
    second.notes = "已更换电源";
    {
        DeviceStore store(path);
        store.saveAll(std::vector{first});
        store.saveAll(std::vector{second});
    }
    DeviceStore reopened(path);
    EXPECT_EQ(reopened.find("S/N 1"), second);
    EXPECT_EQ(reopened.find("s/n 1"), std::nullopt);
    EXPECT_EQ(reopened.find("S/N 1 "), std::nullopt);
}

TEST(DeviceStoreTest, FileThatIsNoDatabaseIsRefused) {
    TemporaryDirectory directory;
    const auto path = directory.path() / "devices.sqlite3";
    std::ofstream(path) << "this is a text file, not a database, and long enough to tell\n";
    EXPECT_THROW(DeviceStore(path.string()), StoreError);
}

}  // namespace
}  // namespace quelmarn::service
