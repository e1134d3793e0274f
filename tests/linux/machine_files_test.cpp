#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <tuple>

#include "platform/linux/memory_size.h"
#include "platform/linux/processor_facts.h"
#include "platform/linux/root_files.h"
#include "tests/linux/temp_tree.h"

namespace {

using namespace platform::linux_backend;
using linux_test::TempTree;
using namespace std::literals;
using Text = std::optional<std::string>;

TEST(RootFilesTest, ReadsStrippedTextListsDirectoriesAndReadsLinks) {
    TempTree tree;
    tree.files("/", "c=Left side  \n\n;d=;e=  lead\tinner\n")
        .file("/b", "MacBookPro10,1\0"sv)
        .file("/sys/long", std::string(10000, 's'))
        .file("/proc/long", std::string(9000, 'p'))
        .file("/sys/devices/x/hwmon/hwmon3/name", "coretemp")
        .link("/sys/class/hwmon/hwmon3", "../../devices/x/hwmon/hwmon3");
    // More entries than one directory read returns.
    for (int block = 0; block < 400; ++block) {
        tree.directory("/sys/devices/system/memory/memory" + std::to_string(block));
    }
    RootFiles files(tree.root().string() + "/");
    EXPECT_EQ(files.read("/b"), "MacBookPro10,1");
    EXPECT_EQ(files.read("/c"), "Left side");
    EXPECT_EQ(files.read("/d"), "");
    EXPECT_EQ(files.read("/e"), "  lead\tinner");
    EXPECT_EQ(files.read("/sys/long"), std::string(10000, 's'));
    EXPECT_EQ(files.read("/proc/long"), std::string(9000, 'p'));
    EXPECT_EQ(files.read("/sys/class/hwmon/hwmon3/name"), "coretemp");
    EXPECT_EQ(files.read("/sys/devices"), std::nullopt);
    EXPECT_EQ(files.list("/sys/class/hwmon"), std::vector<std::string>{"hwmon3"});
    EXPECT_EQ(files.list("/sys/devices/system/memory").size(), 400u);
    EXPECT_EQ(files.linkTarget("/sys/class/hwmon/hwmon3"), "../../devices/x/hwmon/hwmon3");
    EXPECT_EQ(files.linkTarget("/sys/devices/x"), std::nullopt);
    EXPECT_TRUE(files.exists("/sys/devices/x"));
    EXPECT_FALSE(files.exists("/sys/devices/y"));
    EXPECT_FALSE(files.isLiveSystem());
    EXPECT_TRUE(RootFiles("/").isLiveSystem());
}

// A captured tree may hold links written for the machine it came from: they resolve inside the
// tree, never on the system that reads it.
TEST(RootFilesTest, AbsoluteLinksStayInsideTheRoot) {
    TempTree tree;
    tree.file("/etc/os-release", "NAME=Captured\n")
        .file("/usr/lib/os-release", "NAME=Vendor\n")
        .link("/etc/os-release-link", "/usr/lib/os-release")
        .link("/sys/class/hwmon/hwmon0", "/sys/devices/platform/coretemp.0/hwmon/hwmon0")
        .file("/sys/devices/platform/coretemp.0/hwmon/hwmon0/name", "coretemp")
        .link("/escape", "../../../../../../../../etc");
    const RootFiles files(tree.root());
    EXPECT_EQ(files.read("/etc/os-release-link"), "NAME=Vendor");
    EXPECT_EQ(files.read("/sys/class/hwmon/hwmon0/name"), "coretemp");
    EXPECT_EQ(files.list("/sys/class/hwmon/hwmon0"), std::vector<std::string>{"name"});
    EXPECT_EQ(files.read("/escape/os-release"), "NAME=Captured");
    EXPECT_FALSE(files.exists("/escape/passwd"));
}

// Mainline kernels make product_serial and product_uuid mode 0400, owned by root.
TEST(RootFilesTest, AnUnreadableFileIsAbsentNotAnError) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root reads every file";
    }
    TempTree tree;
    tree.file("/sys/class/dmi/id/product_serial", "C02K1234F1G3\n");
    std::filesystem::permissions(tree.at("/sys/class/dmi/id/product_serial"),
                                 std::filesystem::perms::none);
    const auto contents = RootFiles(tree.root()).contents("/sys/class/dmi/id/product_serial");
    EXPECT_EQ(contents.text, std::nullopt);
    EXPECT_EQ(contents.absence, FileAbsence::Denied);
}

TEST(RootFilesTest, SaysWhyAFileGaveNothing) {
    TempTree tree;
    tree.directory("/sys/class/dmi/id").link("/loop", "/loop");
    const RootFiles files(tree.root());
    for (const auto* path : {"/sys/class/dmi/id/product_serial", "/sys/class/dmi/id", "/loop"}) {
        EXPECT_EQ(files.contents(path).absence, FileAbsence::Missing) << path;
    }
}

// Within a moment each file, list, link and existence is read once, through any copy of the
// files; after it, afresh.
TEST(RootFilesTest, AMomentReadsEachThingOnceForEveryCopy) {
    TempTree tree;
    tree.file("/sys/class/hwmon/hwmon0/name", "coretemp").link("/sys/class/hwmon/hwmon1", "a");
    RootFiles files(tree.root());
    const RootFiles copy = files;
    const auto readAll = [&copy] {
        return std::tuple(
            copy.read("/sys/class/hwmon/hwmon0/name"), copy.list("/sys/class/hwmon").size(),
            copy.linkTarget("/sys/class/hwmon/hwmon1"), copy.exists("/sys/class/hwmon/hwmon2"));
    };
    files.beginMoment();
    const auto first = readAll();
    tree.file("/sys/class/hwmon/hwmon0/name", "k10temp").directory("/sys/class/hwmon/hwmon2");
    std::filesystem::remove(tree.at("/sys/class/hwmon/hwmon1"));
    EXPECT_EQ(readAll(), first);
    files.endMoment();
    EXPECT_EQ(readAll(), std::tuple(Text("k10temp"), 2u, Text(), true));
}

TEST(InstalledMemoryTest, CountsOnlyOnlineBlocksElseMemTotal) {
    TempTree tree;
    tree.file("/proc/meminfo", "MemTotal:         999 kB\n")
        .files("/sys/devices/system/memory/",
               "block_size_bytes=8000000\n;memory0/online=1\n;memory1/online=0\n;"
               "memory32/online=1\n;memory_tiers/online=1\n");
    EXPECT_EQ(installedMemoryBytes(RootFiles(tree.root())), 2 * 0x8000000ull);
    tree.files("/sys/devices/system/memory/", "memory0/online=0\n;memory32/online=0\n");
    EXPECT_EQ(installedMemoryBytes(RootFiles(tree.root())), 999u * 1024);
    EXPECT_EQ(memTotalBytes("MemTotal:       lots kB\n"), std::nullopt);
    // A size past 64 bits of bytes is a broken file: it tells nothing rather than a wrapped
    // size, so blocks whose total overflows leave it to MemTotal.
    tree.file("/sys/devices/system/memory/block_size_bytes", "8000000000000000\n");
    tree.files("/sys/devices/system/memory/", "memory0/online=1\n;memory32/online=1\n");
    EXPECT_EQ(installedMemoryBytes(RootFiles(tree.root())), 999u * 1024);
    EXPECT_EQ(memTotalBytes("MemTotal: 18014398509481983 kB\n"), 18014398509481983ull * 1024);
    EXPECT_EQ(memTotalBytes("MemTotal: 18014398509481984 kB\n"), std::nullopt);
}

TEST(ProcessorFactsTest, FallsBackSourceBySource) {
    const std::tuple<std::string_view, std::optional<std::string>, std::optional<std::uint64_t>,
                     std::optional<std::uint32_t>>
        cases[] = {
            // An arm64 board: the core's name, cpufreq's maximum, one core per sibling list.
            {"proc/cpuinfo=processor: 0\nCPU implementer: 0x41\nCPU part: 0xd03\n;"
             "sys/devices/system/cpu/online=0-1;"
             "sys/devices/system/cpu/cpu0/topology/core_cpus_list=0;"
             "sys/devices/system/cpu/cpu1/topology/core_cpus_list=1;"
             "sys/devices/system/cpu/cpu0/cpufreq/scaling_max_freq=600000;"
             "sys/devices/system/cpu/cpu0/cpufreq/cpuinfo_max_freq=1200000",
             "ARM Cortex-A53", 1'200'000'000, 2},
            // A core it does not know: the device tree's first compatible.
            {"proc/cpuinfo=processor: 0\nCPU implementer: 0x61\nCPU part: 0x0ff\n;"
             "sys/firmware/devicetree/base/cpus/cpu@0/compatible=apple,icestorm\0arm,armv8\0"sv,
             "apple,icestorm", std::nullopt, std::nullopt},
            // cpu0 offline; a base_frequency past 64 bits in hertz is not there, so the next
            // source of the first online CPU with cpufreq answers.
            {"proc/cpuinfo=processor: 1\nmodel name: Intel(R) Celeron(R) N4020\n;"
             "sys/devices/system/cpu/online=1-2;"
             "sys/devices/system/cpu/cpu0/cpufreq/cpuinfo_max_freq=9000000;"
             "sys/devices/system/cpu/cpu1/cpufreq/base_frequency=18446744073709552;"
             "sys/devices/system/cpu/cpu1/cpufreq/cpuinfo_max_freq=2800000;"
             "sys/devices/system/cpu/cpu1/topology/physical_package_id=0;"
             "sys/devices/system/cpu/cpu1/topology/core_id=0;"
             "sys/devices/system/cpu/cpu2/topology/physical_package_id=0;"
             "sys/devices/system/cpu/cpu2/topology/core_id=1",
             "Intel(R) Celeron(R) N4020", 2'800'000'000, 2},
            // No online list (an old kernel, a partial capture): the cpuN directories but the
            // offline cpu2, counted by their sibling lists.
            {"sys/devices/system/cpu/cpufreq/policy0;sys/devices/system/cpu/cpuidle;"
             "sys/devices/system/cpu/possible=0-3;sys/devices/system/cpu/cpu12x;"
             "sys/devices/system/cpu/cpu0/topology/thread_siblings_list=0-1;"
             "sys/devices/system/cpu/cpu1/online=1;"
             "sys/devices/system/cpu/cpu1/topology/thread_siblings_list=0-1;"
             "sys/devices/system/cpu/cpu2/online=0;"
             "sys/devices/system/cpu/cpu3/online=1;"
             "sys/devices/system/cpu/cpu3/topology/thread_siblings_list=3",
             std::nullopt, std::nullopt, 2},
            // Masks only, where the core ids repeat on the package's second node: the masks
            // count six cores, the ids three.
            {"sys/devices/system/cpu/cpu0/topology/thread_siblings=00000000,00000001;"
             "sys/devices/system/cpu/cpu1/topology/thread_siblings=00000000,00000002;"
             "sys/devices/system/cpu/cpu2/topology/thread_siblings=00000000,00000004;"
             "sys/devices/system/cpu/cpu3/topology/thread_siblings=00000000,00000008;"
             "sys/devices/system/cpu/cpu4/topology/thread_siblings=00000000,00000010;"
             "sys/devices/system/cpu/cpu5/topology/thread_siblings=00000000,00000020;"
             "sys/devices/system/cpu/cpu0/topology/physical_package_id=0;"
             "sys/devices/system/cpu/cpu0/topology/core_id=0;"
             "sys/devices/system/cpu/cpu1/topology/physical_package_id=0;"
             "sys/devices/system/cpu/cpu1/topology/core_id=1;"
             "sys/devices/system/cpu/cpu2/topology/physical_package_id=0;"
             "sys/devices/system/cpu/cpu2/topology/core_id=2;"
             "sys/devices/system/cpu/cpu3/topology/physical_package_id=0;"
             "sys/devices/system/cpu/cpu3/topology/core_id=0;"
             "sys/devices/system/cpu/cpu4/topology/physical_package_id=0;"
             "sys/devices/system/cpu/cpu4/topology/core_id=1;"
             "sys/devices/system/cpu/cpu5/topology/physical_package_id=0;"
             "sys/devices/system/cpu/cpu5/topology/core_id=2",
             std::nullopt, std::nullopt, 6},
            // A broken sibling list and no ids: the online CPUs.
            {"proc/cpuinfo=processor: 0\n\nprocessor: 1\n\nprocessor: 2\n;"
             "sys/devices/system/cpu/online=0-2;"
             "sys/devices/system/cpu/cpu0/topology/core_cpus_list=0-",
             std::nullopt, std::nullopt, 3},
        };
    for (const auto& [files, brand, hertz, cores] : cases) {
        TempTree tree;
        tree.files("/", files);
        const RootFiles root(tree.root());
        ProcessorFacts facts(root);
        EXPECT_EQ(facts.brand(), brand) << files;
        EXPECT_EQ(facts.nominalClockHertz(), hertz) << files;
        EXPECT_EQ(facts.physicalCores(), cores) << files;
    }
}

}  // namespace
