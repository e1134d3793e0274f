#include "service/calendar_date.h"

#include <charconv>
#include <cstdio>
#include <ctime>

#include "platform/ascii.h"

namespace quelmarn::service {

namespace {

std::optional<unsigned> parseDigits(std::string_view digits) {
    unsigned value = 0;
    const auto* end = digits.data() + digits.size();
    const auto [ptr, ec] = std::from_chars(digits.data(), end, value);
    if (ec != std::errc{} || ptr != end)
        return std::nullopt;
    return value;
}

// `pattern` takes the year (int), the month and the day (unsigned), in that order.
std::string formatDate(const char* pattern, std::chrono::year_month_day date) {
    char text[32];
    const int length =
        std::snprintf(text, sizeof text, pattern, static_cast<int>(date.year()),
                      static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
    return std::string(text, static_cast<std::size_t>(length));
}

}  // namespace

std::optional<std::chrono::year_month_day> parseIsoDate(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    for (const std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) {
        if (!platform::isAsciiDigit(text[i]))
            return std::nullopt;
    }
    const auto year = parseDigits(text.substr(0, 4));
    const auto month = parseDigits(text.substr(5, 2));
    const auto day = parseDigits(text.substr(8, 2));
    const std::chrono::year_month_day date{std::chrono::year(static_cast<int>(*year)),
                                           std::chrono::month(*month), std::chrono::day(*day)};
    if (!date.ok())
        return std::nullopt;
    return date;
}

std::string formatIsoDate(std::chrono::year_month_day date) {
    return formatDate("%04d-%02u-%02u", date);
}

std::string formatChineseDate(std::chrono::year_month_day date) {
    return formatDate("%d 年 %u 月 %u 日", date);
}

std::chrono::year_month_day localToday() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return std::chrono::year_month_day{std::chrono::year(local.tm_year + 1900),
                                       std::chrono::month(static_cast<unsigned>(local.tm_mon + 1)),
                                       std::chrono::day(static_cast<unsigned>(local.tm_mday))};
}

}  // namespace quelmarn::service
