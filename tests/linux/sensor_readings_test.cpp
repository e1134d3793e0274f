#include "platform/linux/sensor_readings.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "tests/linux/temp_tree.h"

namespace {

using platform::linux_backend::hasSensorSource;
using platform::linux_backend::RootFiles;
using platform::linux_backend::SensorReadings;

using Files = std::vector<std::pair<const char*, const char*>>;

struct TemperatureCase {
    const char* what;
    Files files;
    std::optional<std::int64_t> millidegrees;
};

// Writes the files, their paths taken below /sys/class; a path ending in '/' becomes a
// directory, which reads as a sensor that has no value now.
void write(linux_test::TempTree& tree, const Files& files) {
    for (const auto& [path, text] : files) {
        const std::string where = std::string("/sys/class/") + path;
        if (where.ends_with('/')) {
            tree.directory(where);
        } else {
            tree.file(where, text);
        }
    }
}

TEST(ProcessorTemperatureTest, TakesTheFirstSourceThatReads) {
    const TemperatureCase cases[] = {
        {"package over hotter cores and acpitz",
         {{"hwmon/hwmon0/name", "coretemp"},
          {"hwmon/hwmon0/temp1_label", "Package id 0"},
          {"hwmon/hwmon0/temp1_input", "45000"},
          {"hwmon/hwmon0/temp2_label", "Core 0"},
          {"hwmon/hwmon0/temp2_input", "60000"},
          {"thermal/thermal_zone0/type", "acpitz"},
          {"thermal/thermal_zone0/temp", "70000"}},
         45000},
        {"hottest core without a package input",
         {{"hwmon/hwmon0/name", "coretemp"},
          {"hwmon/hwmon0/temp2_label", "Core 0"},
          {"hwmon/hwmon0/temp2_input", "41000"},
          {"hwmon/hwmon0/temp3_label", "Core 1"},
          {"hwmon/hwmon0/temp3_input", "43000"}},
         43000},
        {"Tctl when k10temp has no Tdie",
         {{"hwmon/hwmon0/name", "k10temp"},
          {"hwmon/hwmon0/temp1_label", "Tctl"},
          {"hwmon/hwmon0/temp1_input", "55000"}},
         55000},
        {"zenpower Tdie",
         {{"hwmon/hwmon0/name", "zenpower"},
          {"hwmon/hwmon0/temp1_label", "Tdie"},
          {"hwmon/hwmon0/temp1_input", "48000"}},
         48000},
        {"hottest TC0 key when applesmc has no TC0D",
         {{"hwmon/hwmon0/device/name", "applesmc"},
          {"hwmon/hwmon0/device/temp1_label", "TB0T"},
          {"hwmon/hwmon0/device/temp1_input", "60000"},
          {"hwmon/hwmon0/device/temp2_label", "TC0E"},
          {"hwmon/hwmon0/device/temp2_input", "53000"},
          {"hwmon/hwmon0/device/temp3_label", "TC0P"},
          {"hwmon/hwmon0/device/temp3_input", "50000"}},
         53000},
        {"an ARM SoC's cpu_thermal",
         {{"hwmon/hwmon0/name", "cpu_thermal"}, {"hwmon/hwmon0/temp1_input", "44303"}},
         44303},
        {"the package zone before acpitz",
         {{"thermal/thermal_zone0/type", "acpitz"},
          {"thermal/thermal_zone0/temp", "30000"},
          {"thermal/thermal_zone1/type", "x86_pkg_temp"},
          {"thermal/thermal_zone1/temp", "50000"}},
         50000},
        {"acpitz when nothing else reads",
         {{"hwmon/hwmon0/name", "coretemp"},
          {"hwmon/hwmon0/temp1_label", "Package id 0"},
          {"hwmon/hwmon0/temp1_input/", ""},
          {"thermal/thermal_zone0/type", "acpitz"},
          {"thermal/thermal_zone0/temp", "30000"}},
         30000},
        {"no processor sensor",
         {{"hwmon/hwmon0/name", "nvme"}, {"hwmon/hwmon0/temp1_input", "38000"}},
         std::nullopt},
    };
    for (const auto& [what, files, millidegrees] : cases) {
        linux_test::TempTree tree;
        write(tree, files);
        SensorReadings readings{RootFiles(tree.root())};
        EXPECT_EQ(readings.processorTemperature(), millidegrees) << what;
        EXPECT_EQ(hasSensorSource(RootFiles(tree.root())), millidegrees.has_value()) << what;
    }
}

struct FanCase {
    const char* what;
    Files files;
    std::vector<std::uint32_t> rpm;
};

TEST(FanSpeedsTest, CountsTheMachinesOwnFansThatRead) {
    const FanCase cases[] = {
        {"a laptop fan at rest counts",
         {{"hwmon/hwmon0/name", "thinkpad"}, {"hwmon/hwmon0/fan1_input", "0"}},
         {0}},
        {"an empty mainboard header does not, a labelled one does",
         {{"hwmon/hwmon0/name", "it8688"},
          {"hwmon/hwmon0/fan1_input", "0"},
          {"hwmon/hwmon0/fan2_input", "0"},
          {"hwmon/hwmon0/fan2_label", "CPU Fan"},
          {"hwmon/hwmon0/fan3_input", "640"}},
         {0, 640}},
        {"graphics cards and power supplies are not the machine's",
         {{"hwmon/hwmon0/name", "nouveau"},
          {"hwmon/hwmon0/fan1_input", "1500"},
          {"hwmon/hwmon1/name", "corsairpsu"},
          {"hwmon/hwmon1/fan1_input", "800"}},
         {}},
        {"a fan that cannot be read now is left out",
         {{"hwmon/hwmon0/name", "dell_smm"},
          {"hwmon/hwmon0/fan1_input/", ""},
          {"hwmon/hwmon0/fan2_input", "2400"}},
         {2400}},
        {"chips by name, not by hwmon number; fans by number, not by listing",
         {{"hwmon/hwmon0/name", "thinkpad"},
          {"hwmon/hwmon0/fan1_input", "3000"},
          {"hwmon/hwmon1/name", "dell_smm"},
          {"hwmon/hwmon1/fan10_input", "1010"},
          {"hwmon/hwmon1/fan2_input", "1002"}},
         {1002, 1010, 3000}},
    };
    for (const auto& [what, files, rpm] : cases) {
        linux_test::TempTree tree;
        write(tree, files);
        SensorReadings readings{RootFiles(tree.root())};
        EXPECT_EQ(readings.fanSpeeds(), rpm) << what;
    }
}

// Real sysfs lists hwmonN as links into /sys/devices; two chips of one name keep the order
// of their devices whatever numbers they got at boot.
TEST(FanSpeedsTest, FollowsClassLinksAndOrdersTwinChipsByDevice) {
    linux_test::TempTree tree;
    tree.file("/sys/devices/platform/nct6775.2576/hwmon/hwmon0/name", "nct6775")
        .file("/sys/devices/platform/nct6775.2576/hwmon/hwmon0/fan1_input", "900")
        .file("/sys/devices/platform/nct6775.656/hwmon/hwmon1/name", "nct6775")
        .file("/sys/devices/platform/nct6775.656/hwmon/hwmon1/fan1_input", "1200")
        .link("/sys/class/hwmon/hwmon0", "../../devices/platform/nct6775.2576/hwmon/hwmon0")
        .link("/sys/class/hwmon/hwmon1", "../../devices/platform/nct6775.656/hwmon/hwmon1");
    SensorReadings readings{RootFiles(tree.root())};
    EXPECT_EQ(readings.fanSpeeds(), (std::vector<std::uint32_t>{900, 1200}));
}

// Within one connection both exchanges of a key read see the same reading.
TEST(SensorReadingsTest, KeepsWhatItReadForItsLifetime) {
    linux_test::TempTree tree;
    tree.file("/sys/class/hwmon/hwmon0/name", "thinkpad")
        .file("/sys/class/hwmon/hwmon0/fan1_input", "2000");
    SensorReadings readings{RootFiles(tree.root())};
    EXPECT_EQ(readings.fanSpeeds(), std::vector<std::uint32_t>{2000});
    tree.file("/sys/class/hwmon/hwmon0/fan1_input", "2500");
    EXPECT_EQ(readings.fanSpeeds(), std::vector<std::uint32_t>{2000});
    EXPECT_EQ(SensorReadings{RootFiles(tree.root())}.fanSpeeds(), std::vector<std::uint32_t>{2500});
}

}  // namespace
