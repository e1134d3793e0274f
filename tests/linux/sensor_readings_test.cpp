#include "platform/linux/sensor_readings.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/linux/temp_tree.h"

namespace {

using platform::linux_backend::hasSensorSource;
using platform::linux_backend::RootFiles;
using platform::linux_backend::SensorReadings;
using Rpm = std::vector<std::optional<std::uint32_t>>;

// The files of each case below are "path=text" entries under /sys/class; a path without "=text"
// is a directory, which reads as a sensor that has no value now. The drivers and layouts that a
// captured tree under tests/fixtures shows (coretemp packages, k10temp before Zen and without Tdie,
// an ARM SoC's zones, thinkpad on 4.x kernels, cros_ec, doubled ASUS fans), and a fan that does not
// read now, are checked through the device panel.
TEST(ProcessorTemperatureTest, TakesTheFirstSourceThatReads) {
    const std::pair<const char*, std::optional<std::int64_t>> cases[] = {
        // The hottest core without a package input.
        {"hwmon/hwmon0/name=coretemp;hwmon/hwmon0/temp2_label=Core 0;"
         "hwmon/hwmon0/temp2_input=41000;hwmon/hwmon0/temp3_label=Core 1;"
         "hwmon/hwmon0/temp3_input=43000",
         43000},
        // The hottest TC0 key when applesmc has no TC0D.
        {"hwmon/hwmon0/device/name=applesmc;hwmon/hwmon0/device/temp1_label=TB0T;"
         "hwmon/hwmon0/device/temp1_input=60000;hwmon/hwmon0/device/temp2_label=TC0E;"
         "hwmon/hwmon0/device/temp2_input=53000;hwmon/hwmon0/device/temp3_label=TC0P;"
         "hwmon/hwmon0/device/temp3_input=50000",
         53000},
        {"hwmon/hwmon0/name=soc_thermal;hwmon/hwmon0/temp1_input=52000", 52000},
        {"hwmon/hwmon1/name=cpu0_thermal;hwmon/hwmon1/temp1_input=39000", 39000},
        // acpitz, last, when nothing else reads.
        {"hwmon/hwmon0/name=coretemp;hwmon/hwmon0/temp1_label=Package id 0;"
         "hwmon/hwmon0/temp1_input;thermal/thermal_zone0/type=acpitz;"
         "thermal/thermal_zone0/temp=30000",
         30000},
        // No processor sensor.
        {"hwmon/hwmon0/name=nvme;hwmon/hwmon0/temp1_input=38000", std::nullopt},
    };
    for (const auto& [files, millidegrees] : cases) {
        linux_test::TempTree tree;
        tree.files("/sys/class/", files);
        EXPECT_EQ(SensorReadings{RootFiles(tree.root())}.processorTemperature(), millidegrees)
            << files;
        EXPECT_EQ(hasSensorSource(RootFiles(tree.root())), millidegrees.has_value()) << files;
    }
}

TEST(FanSpeedsTest, CountsTheMachinesOwnFansThatRead) {
    const std::pair<const char*, Rpm> cases[] = {
        // A laptop fan at rest counts.
        {"hwmon/hwmon0/name=thinkpad;hwmon/hwmon0/fan1_input=0", {0}},
        // An empty mainboard header does not, a labelled one does.
        {"hwmon/hwmon0/name=it8688;hwmon/hwmon0/fan1_input=0;hwmon/hwmon0/fan2_input=0;"
         "hwmon/hwmon0/fan2_label=CPU Fan;hwmon/hwmon0/fan3_input=640",
         {0, 640}},
        // Graphics cards and power supplies are not the machine's.
        {"hwmon/hwmon0/name=nouveau;hwmon/hwmon0/fan1_input=1500;"
         "hwmon/hwmon1/name=corsairpsu;hwmon/hwmon1/fan1_input=800;"
         "hwmon/hwmon2/name=amdgpu;hwmon/hwmon2/fan1_input=1200;"
         "hwmon/hwmon3/name=ibm_cffps1;hwmon/hwmon3/fan1_input=9000;"
         "hwmon/hwmon4/name=nvme;hwmon/hwmon4/temp1_input=38000",
         {}},
        // A driver no list names has the machine's fans all the same.
        {"hwmon/hwmon7/name=gpd_fan;hwmon/hwmon7/fan1_input=2100", {2100}},
        // The board firmware's view of the headers counts only without the Super-I/O chip.
        {"hwmon/hwmon1/name=asus_ec_sensors;hwmon/hwmon1/fan1_label=CPU_Opt;"
         "hwmon/hwmon1/fan1_input=1900",
         {1900}},
        {"hwmon/hwmon1/name=asus_wmi_sensors;hwmon/hwmon1/fan1_label=CPU Fan;"
         "hwmon/hwmon1/fan1_input=1150;hwmon/hwmon2/name=nct6798;hwmon/hwmon2/fan2_input=1150",
         {1150}},
        // dell_ddv repeats dell_smm's fans where both are there, and has them where dell_smm
        // is alone or has none.
        {"hwmon/hwmon4/name=dell_ddv;hwmon/hwmon4/fan1_label=CPU Fan;"
         "hwmon/hwmon4/fan1_input=2600;hwmon/hwmon5/name=dell_smm;"
         "hwmon/hwmon5/temp1_input=50000",
         {2600}},
        // A board's fan controller leaves its empty headers out like a Super-I/O chip.
        {"hwmon/hwmon2/name=emc2305;hwmon/hwmon2/fan1_input=4100;hwmon/hwmon2/fan2_input=0",
         {4100}},
        // Chips by name, not by hwmon number; fans by number, not by listing.
        {"hwmon/hwmon0/name=thinkpad;hwmon/hwmon0/fan1_input=3000;hwmon/hwmon1/name=dell_smm;"
         "hwmon/hwmon1/fan10_input=1010;hwmon/hwmon1/fan2_input=1002",
         {1002, 1010, 3000}},
    };
    for (const auto& [files, rpm] : cases) {
        linux_test::TempTree tree;
        tree.files("/sys/class/", files);
        EXPECT_EQ(SensorReadings{RootFiles(tree.root())}.fanSpeeds(), rpm) << files;
        // Here every device with fan inputs has a fan that counts.
        EXPECT_EQ(hasSensorSource(RootFiles(tree.root())), !rpm.empty()) << files;
    }
}

// Real sysfs lists hwmonN as links into /sys/devices; two chips of one name keep the order
// of their devices whatever numbers they got at boot. Within one connection both exchanges of
// a key read see the same reading.
TEST(FanSpeedsTest, FollowsClassLinksOrdersTwinChipsByDeviceAndKeepsWhatItRead) {
    linux_test::TempTree tree;
    tree.files("/sys/devices/platform/",
               "nct6775.2576/hwmon/hwmon0/name=nct6775;nct6775.2576/hwmon/hwmon0/fan1_input=900;"
               "nct6775.656/hwmon/hwmon1/name=nct6775;nct6775.656/hwmon/hwmon1/fan1_input=1200")
        .link("/sys/class/hwmon/hwmon0", "../../devices/platform/nct6775.2576/hwmon/hwmon0")
        .link("/sys/class/hwmon/hwmon1", "../../devices/platform/nct6775.656/hwmon/hwmon1");
    SensorReadings readings{RootFiles(tree.root())};
    EXPECT_EQ(readings.fanSpeeds(), (Rpm{900, 1200}));
    tree.file("/sys/devices/platform/nct6775.656/hwmon/hwmon1/fan1_input", "1300");
    EXPECT_EQ(readings.fanSpeeds(), (Rpm{900, 1200}));
    EXPECT_EQ(SensorReadings{RootFiles(tree.root())}.fanSpeeds(), (Rpm{900, 1300}));
}

}  // namespace
