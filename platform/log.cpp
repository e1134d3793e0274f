#include "platform/log.h"

#include <syslog.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>

namespace platform {
namespace {

std::string timestamp() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    const auto millis = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[32];
    const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return std::string(text, length) + stringWithFormat(".%03d", {arg(static_cast<int>(millis))});
}

void writeToSystemLog(const std::string& message) {
    // openlog is left to its default: the program's name as the identity, with the pid added.
    static const bool opened = [] {
        openlog(nullptr, LOG_PID, LOG_USER);
        return true;
    }();
    (void)opened;
    syslog(LOG_NOTICE, "%s", message.c_str());
    const std::string line =
        stringWithFormat("%@ %s[%d] %@\n", {arg(timestamp()), arg(program_invocation_short_name),
                                            arg(static_cast<int>(getpid())), arg(message)});
    std::fwrite(line.data(), 1, line.size(), stderr);
}

LogSink& sink() {
    static LogSink installed = writeToSystemLog;
    return installed;
}

}  // namespace

void NSLog(std::string_view format, std::initializer_list<FormatArgument> arguments) {
    sink()(stringWithFormat(format, arguments));
}

LogSink installLogSink(LogSink replacement) {
    LogSink previous = std::move(sink());
    sink() = replacement ? std::move(replacement) : LogSink(writeToSystemLog);
    return previous;
}

}  // namespace platform
