#include "bench/linux/server_tree.h"

#include <fstream>
#include <string>

namespace bench_linux {
namespace {

constexpr int kPackages = 2;
constexpr int kCoresPerPackage = 32;
constexpr int kThreads = kPackages * kCoresPerPackage * 2;
constexpr int kMemoryBlocks = 2048;  // 512 MiB each
constexpr int kFans = 12;
constexpr int kPowerMeters = 4;
constexpr int kDrives = 40;

void write(const std::filesystem::path& root, const std::string& path, const std::string& text) {
    const auto at = root / std::filesystem::path(path).relative_path();
    std::filesystem::create_directories(at.parent_path());
    std::ofstream(at, std::ios::binary) << text << '\n';
}

// A hwmon device under /sys/devices with its class link, as the driver core makes it.
std::string hwmonDevice(const std::filesystem::path& root, int number, const std::string& device,
                        const std::string& name) {
    const std::string hwmon = "hwmon" + std::to_string(number);
    const std::string place = device + "/hwmon/" + hwmon;
    write(root, place + "/name", name);
    const auto link = root / "sys/class/hwmon" / hwmon;
    std::filesystem::create_directories(link.parent_path());
    std::filesystem::create_symlink("../../.." + place, link);
    return place;
}

void writeProcessor(const std::filesystem::path& root) {
    std::string cpuinfo;
    for (int cpu = 0; cpu < kThreads; ++cpu) {
        const int package = (cpu / kCoresPerPackage) % kPackages;
        const int core = cpu % kCoresPerPackage;
        const int sibling = cpu < kThreads / 2 ? cpu + kThreads / 2 : cpu - kThreads / 2;
        cpuinfo += "processor\t: " + std::to_string(cpu) +
                   "\nvendor_id\t: GenuineIntel\nmodel name\t: Intel(R) Xeon(R) Gold 6338 CPU @ "
                   "2.00GHz\nphysical id\t: " +
                   std::to_string(package) + "\ncore id\t\t: " + std::to_string(core) +
                   "\ncpu cores\t: " + std::to_string(kCoresPerPackage) + "\n\n";
        const std::string topology = "/sys/devices/system/cpu/cpu" + std::to_string(cpu);
        const int first = std::min(cpu, sibling);
        write(root, topology + "/topology/core_cpus_list",
              std::to_string(first) + "," + std::to_string(first + kThreads / 2));
        write(root, topology + "/topology/physical_package_id", std::to_string(package));
        write(root, topology + "/topology/core_id", std::to_string(core));
        write(root, topology + "/cpufreq/cpuinfo_max_freq", "3200000");
    }
    write(root, "/proc/cpuinfo", cpuinfo);
    write(root, "/sys/devices/system/cpu/online", "0-" + std::to_string(kThreads - 1));
}

void writeSensors(const std::filesystem::path& root) {
    int hwmon = 0;
    for (int package = 0; package < kPackages; ++package) {
        const auto chip = hwmonDevice(
            root, hwmon++, "/sys/devices/platform/coretemp." + std::to_string(package), "coretemp");
        write(root, chip + "/temp1_label", "Package id " + std::to_string(package));
        write(root, chip + "/temp1_input", std::to_string(45000 + 2000 * package));
        for (int core = 0; core < kCoresPerPackage; ++core) {
            const std::string channel = chip + "/temp" + std::to_string(core + 2);
            write(root, channel + "_label", "Core " + std::to_string(core));
            write(root, channel + "_input", std::to_string(40000 + 250 * core));
        }
    }
    const auto board = hwmonDevice(root, hwmon++, "/sys/devices/platform/nct6775.656", "nct6798");
    for (int fan = 1; fan <= kFans; ++fan) {
        write(root, board + "/fan" + std::to_string(fan) + "_input",
              std::to_string(9000 + 100 * fan));
    }
    for (int meter = 0; meter < kPowerMeters; ++meter) {
        hwmonDevice(root, hwmon++, "/sys/devices/LNXSYSTM:00/ACPI000D:0" + std::to_string(meter),
                    "power_meter");
    }
    for (int drive = 0; drive < kDrives; ++drive) {
        const auto chip =
            hwmonDevice(root, hwmon++, "/sys/devices/pci0000:00/drive" + std::to_string(drive),
                        drive < 8 ? "nvme" : "drivetemp");
        write(root, chip + "/temp1_input", std::to_string(33000 + 100 * drive));
        write(root, chip + "/temp1_label", "Composite");
    }
    write(root, "/sys/class/thermal/thermal_zone0/type", "acpitz");
    write(root, "/sys/class/thermal/thermal_zone0/temp", "27800");
}

}  // namespace

void writeLargeServerTree(const std::filesystem::path& root) {
    writeProcessor(root);
    writeSensors(root);
    const std::string blocks = "/sys/devices/system/memory";
    write(root, blocks + "/block_size_bytes", "20000000");
    for (int block = 0; block < kMemoryBlocks; ++block) {
        write(root, blocks + "/memory" + std::to_string(block) + "/online", "1");
    }
    write(root, "/proc/meminfo", "MemTotal:       1056458752 kB");
    write(root, "/proc/sys/kernel/ostype", "Linux");
    write(root, "/proc/sys/kernel/osrelease", "6.1.0-18-amd64");
    write(root, "/proc/sys/kernel/version", "#1 SMP PREEMPT_DYNAMIC Debian 6.1.76-1 (2024-02-01)");
    write(root, "/etc/os-release",
          "PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nNAME=\"Debian "
          "GNU/Linux\"\nVERSION_ID=\"12\"");
    write(root, "/sys/class/dmi/id/product_name", "PowerEdge R750");
    write(root, "/sys/class/dmi/id/sys_vendor", "Dell Inc.");
}

}  // namespace bench_linux
