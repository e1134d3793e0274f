#include "service/serve_command.h"

#include <pthread.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>

#include <iostream>
#include <memory>
#include <optional>
#include <thread>

#include "service/device_registry.h"
#include "service/log_writer.h"
#include "service/lookup_server.h"
#include "service/tls_credentials.h"

namespace quelmarn::service {

namespace {

// File descriptors kept for the database, the log and the listening socket.
constexpr rlim_t kReservedDescriptors = 64;

// Each connection takes a descriptor, those over the limit that are told 503 too: raise the soft
// limit to the hard one (getrlimit(2)) and take no more connections than that allows.
ConnectionLimits limitsForThisProcess() {
    ConnectionLimits limits;
    rlimit files{};
    if (getrlimit(RLIMIT_NOFILE, &files) == 0) {
        files.rlim_cur = files.rlim_max;
        setrlimit(RLIMIT_NOFILE, &files);
        getrlimit(RLIMIT_NOFILE, &files);
        const rlim_t reserved = 2 * kReservedDescriptors + kOverLimitMargin;
        const rlim_t usable = files.rlim_cur > reserved + kReservedDescriptors
                                  ? files.rlim_cur - reserved
                                  : kReservedDescriptors;
        limits.connections = std::min<std::size_t>(limits.connections, usable);
    }
    return limits;
}

}  // namespace

int runServer(const Options& options, const std::string& databasePath) {
    const std::string& host = options.host;
    // Blocked before any thread starts, so that every thread inherits the mask and the signals
    // reach only the sigwait below, where stopping the server is safe (it is not from a handler).
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    // A log reader that went away must not end the service: write(2) then fails with EPIPE.
    signal(SIGPIPE, SIG_IGN);

    std::unique_ptr<DeviceRegistry> store;
    try {
        store = openDeviceRegistry(databasePath, WhenMissing::kCreateWithSamples);
    } catch (const StoreError& error) {
        std::cerr << "quelmarn-lookupd: 数据库 " << databasePath << " 无法使用：" << error.what()
                  << "\n";
        return 1;
    }
    std::optional<TlsCredentials> tls;
    try {
        if (options.tlsCertificate)
            tls.emplace(*options.tlsCertificate, *options.tlsKey);
    } catch (const std::runtime_error& error) {
        std::cerr << "quelmarn-lookupd: " << error.what() << "\n";
        return 1;
    }
    LogWriter log(STDERR_FILENO);
    LookupServer server(
        *store, [&log](std::string_view line) { log.post(line); }, limitsForThisProcess());
    if (tls)
        server.useTls(*tls);
    const auto bound = server.bind(host, options.port, options.serverNames);
    if (!bound) {
        std::cerr << "quelmarn-lookupd: 无法在 " << host << " 端口 " << options.port
                  << " 上监听：端口已被占用，或地址无效\n";
        return 1;
    }
    // From here on everything goes through the log writer: a log pipe that nobody reads must
    // hold up neither the requests nor the exit.
    const bool ipv6 = host.find(':') != std::string::npos;
    log.post(std::string("quelmarn-lookupd: 正在监听 ") + (tls ? "https" : "http") + "://" +
             (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(*bound) + "/ ，数据库 " +
             databasePath + "\n");

    std::thread stopper([&server, &stopSignals, &log, &tls] {
        int signal = 0;
        // SIGHUP asks a daemon to take up its files again: a renewed certificate is used from
        // the next handshake on, connections under way keep theirs.
        while (sigwait(&stopSignals, &signal) == 0 && signal == SIGHUP) {
            if (!tls)
                continue;
            const auto problem = tls->reload();
            log.post(problem
                         ? "quelmarn-lookupd: 证书没有更新，继续使用原来的证书：" + *problem + "\n"
                         : std::string("quelmarn-lookupd: 已重新读取证书和私钥\n"));
        }
        server.stop();
    });
    const bool served = server.serve();
    if (!served) {
        // serve() ended by itself, as the listening socket failed: the stopper still waits.
        pthread_kill(stopper.native_handle(), SIGTERM);
        stopper.join();
        log.post("quelmarn-lookupd: 监听失败\n");
        return 1;
    }
    stopper.join();
    log.post("quelmarn-lookupd: 已停止\n");
    return 0;
}

}  // namespace quelmarn::service
