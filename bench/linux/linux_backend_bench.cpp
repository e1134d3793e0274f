#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

#include "bench/linux/launch_work.h"
#include "bench/linux/server_tree.h"
#include "platform/iokit.h"
#include "platform/linux/linux_machine.h"
#include "platform/smc_param_block.h"
#include "sysinfo/var_system_info.h"

namespace {

using namespace platform;

void install(const std::filesystem::path& root) {
    installMachine(std::make_shared<LinuxMachine>(root));
}

std::filesystem::path fixture(const char* tree) {
    return std::filesystem::path(QUELMARN_FIXTURES_DIR) / tree;
}

// One sensor query as the application makes it: look the controller up, open it, ask for the
// key's size and type, read its bytes, close. Nothing is kept from one query to the next.
void BM_SmcQuery(benchmark::State& state, const char* key) {
    install(fixture("macbook-linux"));
    for (auto _ : state) {
        io_iterator_t services;
        IOServiceGetMatchingServices(kIOMasterPortDefault, IOServiceMatching("AppleSMC"),
                                     &services);
        io_service_t service = IOIteratorNext(services);
        IOObjectRelease(std::move(services));
        io_connect_t connection;
        IOServiceOpen(service, mach_task_self(), 0, &connection);
        IOObjectRelease(std::move(service));
        SMCParamBlock input;
        SMCParamBlock output;
        input.key = SMCKeyCode(key);
        input.command = SMCCommandKeyInfo;
        std::size_t size = sizeof output;
        IOConnectCallStructMethod(connection, kSMCBlockSelector, &input, sizeof input, &output,
                                  &size);
        input.dataSize = output.dataSize;
        input.command = SMCCommandReadBytes;
        size = sizeof output;
        IOConnectCallStructMethod(connection, kSMCBlockSelector, &input, sizeof input, &output,
                                  &size);
        IOServiceClose(std::move(connection));
        benchmark::DoNotOptimize(output.bytes[0]);
    }
    installMachine(nullptr);
}
BENCHMARK_CAPTURE(BM_SmcQuery, TC0D, "TC0D");
BENCHMARK_CAPTURE(BM_SmcQuery, F0Ac, "F0Ac");

// One record filled as its consumers make it: every fact in its order (in one snapshot of the
// machine), derived texts included.
void BM_RecordFill(benchmark::State& state, const std::filesystem::path& root) {
    install(root);
    for (auto _ : state) {
        const sysinfo::VarSystemInfo info;
        benchmark::DoNotOptimize(info.sysProcessorCount());
    }
    installMachine(nullptr);
}
BENCHMARK_CAPTURE(BM_RecordFill, intel_laptop, fixture("intel-laptop"));
BENCHMARK_CAPTURE(BM_RecordFill, live_system, std::filesystem::path("/"));

// Everything one launch asks of the machine: the launch log's record and readings, then the
// first device panel's two records and readings.
void BM_Launch(benchmark::State& state, const std::filesystem::path& root) {
    install(root);
    for (auto _ : state) {
        benchmark::DoNotOptimize(bench_linux::launchBackendWork());
    }
    installMachine(nullptr);
}
BENCHMARK_CAPTURE(BM_Launch, intel_laptop, fixture("intel-laptop"));

// The same on a two-socket server with dozens of hwmon devices, written once to a temporary
// directory.
void BM_LaunchLargeServer(benchmark::State& state) {
    const auto root = std::filesystem::temp_directory_path() / "quelmarn-bench-large-server";
    std::filesystem::remove_all(root);
    bench_linux::writeLargeServerTree(root);
    BM_Launch(state, root);
    std::filesystem::remove_all(root);
}
BENCHMARK(BM_LaunchLargeServer);

}  // namespace
