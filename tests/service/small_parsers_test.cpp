// The service's small pure functions: dates, the lookup body, the default database path and the
// request log line.
#include <gtest/gtest.h>

#include "service/calendar_date.h"
#include "service/data_directory.h"
#include "service/lookup_body.h"
#include "service/request_log.h"

namespace quelmarn::service {
namespace {

using std::chrono::year;

TEST(CalendarDateTest, ReadsOnlyRealDaysWrittenAsIso) {
    EXPECT_EQ(parseIsoDate("2024-02-29"), year(2024) / 2 / 29);
    EXPECT_EQ(parseIsoDate("0999-12-31"), year(999) / 12 / 31);
    for (const char* text : {"2023-02-29", "2023-13-01", "2023-00-10", "2023-1-01", "23-01-01",
                             "2023/01/01", "2023-01-01 ", "+023-01-01", "", "２０２３-01-01"}) {
        EXPECT_EQ(parseIsoDate(text), std::nullopt) << text;
    }
    EXPECT_EQ(formatIsoDate(year(999) / 3 / 4), "0999-03-04");
    EXPECT_EQ(formatChineseDate(year(2012) / 6 / 11), "2012 年 6 月 11 日");
}

TEST(LookupBodyTest, SerialIsEverythingAfterThePrefix) {
    using Result = std::variant<std::string_view, LookupBodyError>;
    const std::pair<std::string_view, Result> cases[] = {
        {"sn=C02JX0XXDRVC", std::string_view("C02JX0XXDRVC")},
        {"sn= a&b=c%20+ ", std::string_view(" a&b=c%20+ ")},
        {"sn=sn=", std::string_view("sn=")},
        {"sn=序列号", std::string_view("序列号")},
        {"sn=", LookupBodyError::kEmptySerial},
        {"", LookupBodyError::kMissingPrefix},
        {"sn", LookupBodyError::kMissingPrefix},
        {" sn=A", LookupBodyError::kMissingPrefix},
        {"sn=\xC0\xAF", LookupBodyError::kInvalidUtf8},
        {"sn=\xE4\xBD", LookupBodyError::kInvalidUtf8},
    };
    for (const auto& [body, expected] : cases)
        EXPECT_EQ(parseLookupBody(body), expected) << body;
}

TEST(DataDirectoryTest, FollowsXdgThenHome) {
    struct Case {
        const char* xdgDataHome;
        const char* home;
        std::optional<std::string> path;
    };
    const Case cases[] = {
        {"/data", "/home/u", "/data/quelmarn/devices.sqlite3"},
        {nullptr, "/home/u", "/home/u/.local/share/quelmarn/devices.sqlite3"},
        {"", "/home/u", "/home/u/.local/share/quelmarn/devices.sqlite3"},
        {"relative", "/home/u", "/home/u/.local/share/quelmarn/devices.sqlite3"},
        {nullptr, nullptr, std::nullopt},
        {nullptr, "relative", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(defaultDatabasePath(c.xdgDataHome, c.home), c.path);
}

TEST(RequestLogTest, OneSafeLinePerRequest) {
    EXPECT_EQ(formatRequestLogLine(0, "POST", "/inapp.php", 200, std::chrono::microseconds(1234)),
              "1970-01-01T00:00:00Z POST /inapp.php 200 1.234ms\n");
    EXPECT_EQ(formatRequestLogLine(0, "GET", "/a\nb\x1b[31m", 404, std::nullopt),
              "1970-01-01T00:00:00Z GET /a?b?[31m 404 -\n");
    const std::string line = formatRequestLogLine(0, "GET", std::string(5000, 'x'), 404, {});
    EXPECT_LT(line.size(), 300u);
}

}  // namespace
}  // namespace quelmarn::service
