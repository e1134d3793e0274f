#pragma once

#include <filesystem>

namespace bench_linux {

// Writes below `root` the files a large two-socket server shows the backend: 2 packages of 32
// cores with two threads each, 1 TiB in 2048 memory blocks, and 48 hwmon devices (a coretemp
// per package with a sensor per core, a board controller with twelve fans, power meters, NVMe
// and SATA drive sensors), each hwmonN a link into /sys/devices as on a real system.
void writeLargeServerTree(const std::filesystem::path& root);

}  // namespace bench_linux
