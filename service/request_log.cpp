#include "service/request_log.h"

#include <cstdio>

#include "service/log_escape.h"

namespace quelmarn::service {

namespace {

// Paths can be kilobytes long; the log needs only enough to recognise the request.
constexpr std::size_t kMaxLoggedBytes = 200;

}  // namespace

std::string formatRequestLogLine(std::time_t sentAt, std::string_view client,
                                 std::string_view method, std::string_view path, int status,
                                 std::optional<std::chrono::microseconds> elapsed) {
    std::tm utc{};
    gmtime_r(&sentAt, &utc);
    char stamp[32];
    const std::size_t stampLength = std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%SZ", &utc);

    std::string line(stamp, stampLength);
    line += ' ';
    appendEscapedForLog(line, client.empty() ? "-" : client, kMaxLoggedBytes);
    line += ' ';
    appendEscapedForLog(line, method, kMaxLoggedBytes);
    line += ' ';
    appendEscapedForLog(line, path, kMaxLoggedBytes);
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

}  // namespace quelmarn::service
