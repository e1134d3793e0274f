#include "service/serve_command.h"

#include <pthread.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

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

// Descriptors left free for what the service opens later: the listening socket, a reopened
// log file, SQLite's temporary files.
constexpr std::size_t kSpareDescriptors = 8;

// How many descriptors are open now (those of the database and the log among them).
std::size_t openDescriptors() {
    std::error_code error;
    std::size_t open = 0;
    for (std::filesystem::directory_iterator entry("/proc/self/fd", error), end;
         !error && entry != end; entry.increment(error))
        ++open;
    return open;
}

// Each connection takes a descriptor, those over the limit that are told 503 too: raise the soft
// limit to the hard one (getrlimit(2)) and take no more connections than the descriptors left
// allow, so that the HTTP library stops accepting when they are taken (connections wait in the
// listening socket's backlog meanwhile) instead of failing to accept again and again. Nothing
// when not even one connection could be served.
std::optional<ConnectionLimits> limitsForThisProcess(const Options& options, LogWriter& log) {
    ConnectionLimits limits;
    limits.trustedProxies = TrustedProxies(options.trustedProxies);
    rlimit files{};
    if (getrlimit(RLIMIT_NOFILE, &files) != 0)
        return limits;
    files.rlim_cur = files.rlim_max;
    setrlimit(RLIMIT_NOFILE, &files);
    getrlimit(RLIMIT_NOFILE, &files);
    const std::size_t taken = openDescriptors() + LookupServer::kOwnDescriptors + kSpareDescriptors;
    if (files.rlim_cur == RLIM_INFINITY ||
        files.rlim_cur >= taken + limits.connections + limits.answeredOverLimit)
        return limits;
    const std::size_t usable = files.rlim_cur > taken ? files.rlim_cur - taken : 0;
    if (usable < LookupServer::kEventLoops)
        return std::nullopt;
    limits.answeredOverLimit = std::min(limits.answeredOverLimit, usable / 4);
    limits.connections = usable - limits.answeredOverLimit;
    log.post("quelmarn-lookupd: 文件描述符上限为 " + std::to_string(files.rlim_cur) +
             "，最多同时服务 " + std::to_string(limits.connections) + " 个连接；其余连接须等候\n");
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
    int logFile = STDERR_FILENO;
    if (options.logFile && (logFile = LogWriter::openForAppending(*options.logFile)) < 0) {
        std::cerr << "quelmarn-lookupd: 无法打开日志文件 " << *options.logFile << "："
                  << std::strerror(errno) << "\n";
        return 1;
    }
    LogWriter log(logFile, options.logFile ? *options.logFile : std::string());
    const auto limits = limitsForThisProcess(options, log);
    if (!limits) {
        log.post("quelmarn-lookupd: 文件描述符上限过低，无法服务任何连接\n");
        return 1;
    }
    LookupServer server(
        *store, [&log](std::string_view line) { log.post(line); }, *limits,
        options.accessLog ? AccessLog::kOn : AccessLog::kOff);
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
        // SIGHUP asks a daemon to take up its files again: the log file, moved away by a log
        // rotation, is reopened at its name, and a renewed certificate is used from the next
        // handshake on (connections under way keep theirs).
        while (sigwait(&stopSignals, &signal) == 0 && signal == SIGHUP) {
            log.reopen();
            if (!tls)
                continue;
            const auto problem = tls->reload();
            log.post(problem
                         ? "quelmarn-lookupd: 证书没有更新，继续使用原来的证书：" + *problem + "\n"
                         : std::string("quelmarn-lookupd: 已重新读取证书和私钥\n"));
        }
        server.stop();
    });
    const auto end = server.serve();
    if (end == LookupServer::End::kNotStarted) {
        // serve() ended by itself, as the listening socket failed: the stopper still waits.
        pthread_kill(stopper.native_handle(), SIGTERM);
        stopper.join();
        log.post("quelmarn-lookupd: 监听失败\n");
        return 1;
    }
    if (end == LookupServer::End::kDatabaseLost)
        pthread_kill(stopper.native_handle(), SIGTERM);
    stopper.join();
    log.post("quelmarn-lookupd: 已停止\n");
    return end == LookupServer::End::kStopped ? 0 : 1;
}

}  // namespace quelmarn::service
