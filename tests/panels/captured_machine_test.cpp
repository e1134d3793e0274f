#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "panels/device/device_view_controller.h"
#include "platform/linux/linux_machine.h"
#include "sysinfo/var_system_info.h"
#include "tests/support/scripted_machine.h"
#include "tests/support/scripted_ui.h"

namespace {

namespace fs = std::filesystem;
using Text = std::optional<std::string>;

// The desktop user of a captured machine.
constexpr std::uint32_t kUser = 1000;

std::string line(const char* name, const Text& value) {
    return std::string(name) + ": " + value.value_or("<absent>") + "\n";
}

// Every fact of the machine below `root` as the application shows it, read through the Linux
// backend: the record's thirteen properties, then the device panel's eight rows (on a 1440 by 900
// point screen of two pixels a point).
std::string describe(const fs::path& root) {
    testing_support::InstalledMachine installed{
        std::make_shared<platform::LinuxMachine>(root, kUser)};
    testing_support::ScriptedUserInterface ui;
    ui.screen = std::make_shared<platform::NSScreen>(platform::NSMakeRect(0, 0, 1440, 900), 2.0);

    const sysinfo::VarSystemInfo info;
    const auto count = info.sysProcessorCount();
    std::string text =
        line("sysName", info.sysName()) + line("sysUserName", info.sysUserName()) +
        line("sysFullUserName", info.sysFullUserName()) + line("sysOSName", info.sysOSName()) +
        line("sysOSVersion", info.sysOSVersion()) +
        line("sysPhysicalMemory", info.sysPhysicalMemory()) +
        line("sysSerialNumber", info.sysSerialNumber()) + line("sysUUID", info.sysUUID()) +
        line("sysModelID", info.sysModelID()) + line("sysModelName", info.sysModelName()) +
        line("sysProcessorName", info.sysProcessorName()) +
        line("sysProcessorSpeed", info.sysProcessorSpeed()) +
        line("sysProcessorCount", count ? Text(std::to_string(*count)) : Text());
    const auto panel = DeviceViewController::initWithNibName("Panel400x500", nullptr);
    for (const std::string& row : testing_support::labelTexts(*panel->view())) {
        text += row + "\n";
    }
    return text;
}

// Each captured tree (tests/fixtures/<name>/, made with capture.sh) is compared with what it
// must show, tests/fixtures/<name>.expected: a new machine is one folder and one file. With
// QUELMARN_WRITE_EXPECTED=1 the test writes the expected files instead, for review.
TEST(CapturedMachineTest, EachTreeShowsItsExpectedFacts) {
    const bool write = std::getenv("QUELMARN_WRITE_EXPECTED") != nullptr;
    int trees = 0;
    int expectedFiles = 0;
    for (const auto& entry : fs::directory_iterator(QUELMARN_FIXTURES_DIR)) {
        if (entry.path().extension() == ".expected") {
            ++expectedFiles;
        }
        if (!entry.is_directory()) {
            continue;
        }
        ++trees;
        const fs::path expectedFile = entry.path().string() + ".expected";
        SCOPED_TRACE(expectedFile);
        const std::string actual = describe(entry.path());
        if (write) {
            std::ofstream(expectedFile, std::ios::binary) << actual;
            continue;
        }
        std::ifstream file(expectedFile, std::ios::binary);
        ASSERT_TRUE(file) << "every captured tree needs its expected file";
        std::ostringstream expected;
        expected << file.rdbuf();
        EXPECT_EQ(actual, expected.str());
    }
    EXPECT_GT(trees, 0);
    // No expected file is left without its tree.
    EXPECT_EQ(expectedFiles, write ? expectedFiles : trees);
}

}  // namespace
