#include "service/serve_command.h"

#include <pthread.h>
#include <signal.h>

#include <iostream>
#include <optional>
#include <thread>

#include "service/device_store.h"
#include "service/lookup_server.h"
#include "service/request_log.h"

namespace quelmarn::service {

int runServer(const std::string& host, int port, const std::string& databasePath) {
    // Blocked before any thread starts, so that every thread inherits the mask and the signals
    // reach only the sigwait below, where stopping the server is safe (it is not from a handler).
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    std::optional<DeviceStore> store;
    try {
        store.emplace(databasePath);
    } catch (const StoreError& error) {
        std::cerr << "quelmarn-lookupd: 数据库 " << databasePath << " 无法使用：" << error.what()
                  << "\n";
        return 1;
    }
    LookupServer server(*store, writeToStandardError);
    const auto bound = server.bind(host, port);
    if (!bound) {
        std::cerr << "quelmarn-lookupd: 无法在 " << host << " 端口 " << port
                  << " 上监听：端口已被占用，或地址无效\n";
        return 1;
    }
    const bool ipv6 = host.find(':') != std::string::npos;
    std::cerr << "quelmarn-lookupd: 正在监听 http://" << (ipv6 ? "[" + host + "]" : host) << ":"
              << *bound << "/ ，数据库 " << databasePath << std::endl;

    std::thread stopper([&server, &stopSignals] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        server.stop();
    });
    const bool served = server.serve();
    if (!served) {
        // serve() ended by itself, as the listening socket failed: the stopper still waits.
        pthread_kill(stopper.native_handle(), SIGTERM);
        stopper.join();
        std::cerr << "quelmarn-lookupd: 监听失败\n";
        return 1;
    }
    stopper.join();
    std::cerr << "quelmarn-lookupd: 已停止\n";
    return 0;
}

}  // namespace quelmarn::service
