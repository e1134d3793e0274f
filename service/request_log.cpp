#include "service/request_log.h"

#include <unistd.h>

#include <cstdio>

namespace quelmarn::service {

namespace {

// Paths can be kilobytes long; the log needs only enough to recognise the request.
constexpr std::size_t kMaxLoggedBytes = 200;

void appendPrintable(std::string& line, std::string_view text) {
    for (const char c : text.substr(0, kMaxLoggedBytes)) {
        const auto byte = static_cast<unsigned char>(c);
        line += (byte < 0x20 || byte == 0x7F) ? '?' : c;
    }
    if (text.size() > kMaxLoggedBytes)
        line += "...";
}

}  // namespace

std::string formatRequestLogLine(std::time_t sentAt, std::string_view method, std::string_view path,
                                 int status, std::optional<std::chrono::microseconds> elapsed) {
    std::tm utc{};
    gmtime_r(&sentAt, &utc);
    char stamp[32];
    const std::size_t stampLength = std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%SZ", &utc);

    std::string line(stamp, stampLength);
    line += ' ';
    appendPrintable(line, method);
    line += ' ';
    appendPrintable(line, path);
    line += ' ';
    line += std::to_string(status);
    line += ' ';
    if (elapsed) {
        char milliseconds[32];
        std::snprintf(milliseconds, sizeof milliseconds, "%.3fms",
                      static_cast<double>(elapsed->count()) / 1000.0);
        line += milliseconds;
    } else {
        line += '-';
    }
    line += '\n';
    return line;
}

void writeToStandardError(std::string_view line) {
    // A failed or short write of a log line is not worth failing a request for.
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, line.data(), line.size());
}

}  // namespace quelmarn::service
