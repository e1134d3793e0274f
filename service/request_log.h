#pragma once

#include <chrono>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quelmarn::service {

// Receives finished log lines (each ends in "\n"). Called from the server's threads at once, so
// it must be thread-safe, and it must not block: it is called while a request is answered.
using LogSink = std::function<void(std::string_view line)>;

// Whether a line is logged for every request answered; problems are logged either way.
enum class AccessLog { kOn, kOff };

// One line of the request log, e.g.
// "2026-12-06T08:15:02Z 192.0.2.7 POST /inapp.php 200 0.183ms\n": the time the answer was sent
// (UTC), the client's address, method, path, status and the time from the request's arrival
// until its answer was queued, or "-" when the request was refused before it could be timed. The
// method and path are escaped (appendEscapedForLog), so that a client can neither forge log lines
// nor send terminal escapes.
std::string formatRequestLogLine(std::time_t sentAt, std::string_view client,
                                 std::string_view method, std::string_view path, int status,
                                 std::optional<std::chrono::microseconds> elapsed);

}  // namespace quelmarn::service
