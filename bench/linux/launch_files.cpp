// One launch's work on the machine below a root, and nothing else: run it under
// `strace -f -c -e trace=openat,openat2,getdents64,read,readlinkat` to count what the backend
// opens and reads. With "--large-server DIR" it first writes the large server's tree into DIR.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "bench/linux/launch_work.h"
#include "bench/linux/server_tree.h"
#include "platform/linux/linux_machine.h"

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--large-server") == 0) {
        bench_linux::writeLargeServerTree(argv[2]);
        return 0;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s ROOT | --large-server DIR\n", argv[0]);
        return 2;
    }
    platform::installMachine(std::make_shared<platform::LinuxMachine>(argv[1], 1000));
    return bench_linux::launchBackendWork() < 0 ? 1 : 0;
}
