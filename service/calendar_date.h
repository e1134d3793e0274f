#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace quelmarn::service {

// A date written exactly as YYYY-MM-DD (ISO 8601 calendar date, four-digit year), or nothing when
// the text has another shape or names a day that does not exist (2023-02-29).
std::optional<std::chrono::year_month_day> parseIsoDate(std::string_view text);

// `date` as YYYY-MM-DD, the form the database stores.
std::string formatIsoDate(std::chrono::year_month_day date);

// `date` as readers of the pages expect it: "2012 年 6 月 11 日".
std::string formatChineseDate(std::chrono::year_month_day date);

// Today's date in the machine's local time zone: a warranty ends with the owner's day, not UTC's.
std::chrono::year_month_day localToday();

}  // namespace quelmarn::service
