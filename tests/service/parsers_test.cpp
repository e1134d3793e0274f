// The service's pure functions: CSV reading, options, dates, the default database
// path and the request log line.
#include <gtest/gtest.h>

#include <ranges>
#include <sstream>

#include "platform/utf8.h"
#include "service/accepted_hosts.h"
#include "service/calendar_date.h"
#include "service/client_address.h"
#include "service/csv_reader.h"
#include "service/csv_writer.h"
#include "service/data_directory.h"
#include "service/log_escape.h"
#include "service/options.h"
#include "service/request_log.h"
#include "service/url_unescape.h"

namespace quelmarn::service {
namespace {

using std::chrono::year;
using Fields = std::vector<std::string>;

// `line` split at its spaces, as a shell splits a command line.
std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> split;
    for (const auto word : std::views::split(line, ' ')) {
        if (!word.empty())
            split.emplace_back(word.begin(), word.end());
    }
    return split;
}

TEST(CsvReaderTest, SplitsRecordsAndReportsMalformedOnesWithTheirLine) {
    using Records = std::vector<std::pair<std::size_t, Fields>>;
    const std::tuple<std::string_view, Records, std::vector<std::size_t>> cases[] = {
        {"", {}, {}},
        {"a,b\r\nc", {{1, {"a", "b"}}, {2, {"c"}}}, {}},
        {",x,\n", {{1, {"", "x", ""}}}, {}},
        {"a\n\n\r\nb\n", {{1, {"a"}}, {4, {"b"}}}, {}},
        {" a , b \n", {{1, {" a ", " b "}}}, {}},
        {"\xEF\xBB\xBFserial\n", {{1, {"serial"}}}, {}},
        {"\"a,\"\"b\"\"\",\"\"\n", {{1, {"a,\"b\"", ""}}}, {}},
        {"\"a\nb\",c\nd\n", {{1, {"a\nb", "c"}}, {3, {"d"}}}, {}},
        {"a\rb\n", {{1, {"a\rb"}}}, {}},
        {"a\"b,c\nd\n", {{2, {"d"}}}, {1}},
        {"x\n\"a\"b,c\nd\n", {{1, {"x"}}, {3, {"d"}}}, {2}},
        {"a\n\"b,c\nd\n", {{1, {"a"}}, {3, {"d"}}}, {2}},  // a quote never closed
    };
    for (const auto& [text, records, problemLines] : cases) {
        SCOPED_TRACE(text);
        const CsvDocument document = parseCsv(text);
        Records read;
        for (const auto& record : document.records)
            read.emplace_back(record.line, record.fields);
        EXPECT_EQ(read, records);
        std::vector<std::size_t> lines;
        for (const auto& problem : document.problems)
            lines.push_back(problem.line);
        EXPECT_EQ(lines, problemLines);
    }
}

// The reader holds 64 KiB of the file at a time: a line end cut in two by the end of what it
// holds is still one line end, and a record too long to hold (a quote never closed in a large
// file) is a problem after which reading goes on at the next line.
TEST(CsvReaderTest, ReadsAcrossWhatItHoldsAndRefusesRecordsTooLongToHold) {
    // A quoted field of kMaxCsvRecordBytes / 2 quotes written twice.
    const std::string fieldOfQuotes(kMaxCsvRecordBytes + 2, '"');
    std::string quoteTakingInManyLines = "a\n\"\n";
    for (std::size_t i = 0; i < kMaxCsvRecordBytes; ++i)
        quoteTakingInManyLines += "b\n";
    // text, the records read, the line of the first problem (0: none), the last line ("b").
    const std::tuple<std::string, std::size_t, std::size_t, std::size_t> cases[] = {
        {std::string(kMaxCsvRecordBytes - 1, 'p') + "\r\nb\r\n", 2, 0, 2},
        {std::string(kMaxCsvRecordBytes, 'p') + "\r\nb\r\n", 2, 0, 2},
        {std::string(kMaxCsvRecordBytes + 1, 'p') + "\r\nb\r\n", 1, 1, 2},
        {std::string(kMaxCsvRecordBytes, ',') + "\nb\n", 2, 0, 2},
        {std::string(kMaxCsvRecordBytes + 1, ',') + "\nb\n", 1, 1, 2},
        {"a\n" + fieldOfQuotes + "\nb\n", 2, 2, 3},
        {quoteTakingInManyLines, kMaxCsvRecordBytes + 1, 2, kMaxCsvRecordBytes + 2},
    };
    for (const auto& [text, records, problemLine, lastLine] : cases) {
        SCOPED_TRACE(text.substr(0, 8) + "... of " + std::to_string(text.size()));
        const CsvDocument document = parseCsv(text);
        ASSERT_EQ(document.records.size(), records);
        EXPECT_EQ(document.records.back().fields, Fields{"b"});
        EXPECT_EQ(document.records.back().line, lastLine);
        EXPECT_EQ(document.problems.empty() ? 0 : document.problems.front().line, problemLine);
    }
}

// A record of one field, a byte order mark at the start of the file and a line break that is
// the field's only reason to be quoted; StoreCommandsTest's export and import read back the
// other fields that must be quoted.
TEST(CsvWriterTest, WrittenRecordsReadBackAsTheSameFields) {
    const std::vector<Fields> cases = {{""}, {"\xEF\xBB\xBFserial", "x"}, {"line\nbreak", "x"}};
    for (const Fields& fields : cases) {
        std::ostringstream written;
        writeCsvRecord(written, fields);
        writeCsvRecord(written, fields);  // not only as the file's first record
        const CsvDocument document = parseCsv(written.str());
        EXPECT_TRUE(document.problems.empty()) << written.str();
        ASSERT_EQ(document.records.size(), 2u) << written.str();
        EXPECT_EQ(document.records[0].fields, fields);
        EXPECT_EQ(document.records[1].fields, fields);
    }
}

TEST(OptionsTest, ReadsValidCommandLinesAndRefusesInvalidOnes) {
    using Read =
        std::tuple<Command, std::string, int, std::optional<std::string>, std::string, bool>;
    const std::pair<std::string_view, Read> valid[] = {
        {"", {Command::kServe, "127.0.0.1", 47180, std::nullopt, "", false}},
        {"--port 0 --host ::1", {Command::kServe, "::1", 0, std::nullopt, "", false}},
        {"--port=8080 --database=/d.db", {Command::kServe, "127.0.0.1", 8080, "/d.db", "", false}},
        {"--database x.db import in.csv",
         {Command::kImport, "127.0.0.1", 47180, "x.db", "in.csv", false}},
        {"import --skip-faulty-lines in.csv",
         {Command::kImport, "127.0.0.1", 47180, std::nullopt, "in.csv", true}},
        {"backup b.db --database=x.db",
         {Command::kBackup, "127.0.0.1", 47180, "x.db", "b.db", false}},
        {"import -", {Command::kImport, "127.0.0.1", 47180, std::nullopt, "-", false}},
        {"restore b.db", {Command::kRestore, "127.0.0.1", 47180, std::nullopt, "b.db", false}},
        {"export all.csv", {Command::kExport, "127.0.0.1", 47180, std::nullopt, "all.csv", false}},
        {"--help --verbose", {Command::kHelp, "127.0.0.1", 47180, std::nullopt, "", false}},
    };
    for (const auto& [arguments, expected] : valid) {
        const auto o = std::get<Options>(parseOptions(words(arguments)));  // throws when refused
        EXPECT_EQ(Read(o.command, o.host, o.port, o.database, o.file, o.skipFaultyLines), expected);
    }
    const char* const invalid[] = {"--port 65536",
                                   "--port -1",
                                   "--port 12x",
                                   "--port",
                                   "--verbose",
                                   "serve",
                                   "import",
                                   "import a b",
                                   "import a.csv --port 1",
                                   "--skip-faulty-lines",
                                   "backup",
                                   "restore a.db b.db",
                                   "export a.csv --skip-faulty-lines",
                                   "delete",
                                   "delete A1 --host ::1",
                                   "--tls-certificate c.pem",
                                   "--tls-key=k.pem",
                                   "export - --tls-certificate c.pem --tls-key k.pem",
                                   "--trusted-proxy lb.example.org",
                                   "--trusted-proxy 192.0.2.0/24",
                                   "--access-log yes",
                                   "--log-file=",
                                   "import a.csv --access-log=off"};
    for (const auto& arguments : invalid) {
        EXPECT_TRUE(std::holds_alternative<std::string>(parseOptions(words(arguments))))
            << arguments;
    }
}

// Serials are taken as they are, one that begins with a dash after "--".
TEST(OptionsTest, DeleteTakesEverySerialGiven) {
    const auto options =
        std::get<Options>(parseOptions(words("delete A1 --database x.db -- -B2 --")));
    EXPECT_EQ(options.command, Command::kDelete);
    EXPECT_EQ(options.serials, (std::vector<std::string>{"A1", "-B2", "--"}));
    EXPECT_EQ(options.database, "x.db");
}

// A site's service: HTTPS with the certificate and the key named either way, behind proxies,
// logging to a file of its own, reached by its own names.
TEST(OptionsTest, ServingOptionsAreRead) {
    const auto options = std::get<Options>(parseOptions(
        words("--tls-key k.pem --tls-certificate=c.pem --server-name lookup.example.org "
              "--server-name=lookup --trusted-proxy 192.0.2.1 --trusted-proxy=::ffff:198.51.100.2 "
              "--access-log=off --log-file /var/log/q.log")));
    EXPECT_EQ(options.tlsCertificate, "c.pem");
    EXPECT_EQ(options.tlsKey, "k.pem");
    EXPECT_EQ(options.serverNames, (std::vector<std::string>{"lookup.example.org", "lookup"}));
    EXPECT_EQ(options.trustedProxies,
              (std::vector<std::string>{"192.0.2.1", "::ffff:198.51.100.2"}));
    EXPECT_FALSE(options.accessLog);
    EXPECT_EQ(options.logFile, "/var/log/q.log");
    const auto defaults = std::get<Options>(parseOptions({}));
    EXPECT_FALSE(defaults.tlsCertificate);
    EXPECT_TRUE(defaults.accessLog);
}

// A site's service listens on every address and is reached by its own names.
TEST(AcceptedHostsTest, ServerNamesAreFurtherHostsRequestsMayName) {
    const AcceptedHosts hosts("0.0.0.0", 47180, {"lookup.example.org", "lookup"});
    const std::pair<std::string_view, bool> cases[] = {
        {"Lookup.Example.ORG:47180", true},
        {"lookup:47180", true},
        {"192.0.2.7:47180", true},
        {"localhost:47180", true},
        {"other.example.org:47180", false},
        {"lookup.example.org:8080", false},
        // Behind a proxy or load balancer clients name the scheme's default port, or none.
        {"lookup.example.org", true},
        {"lookup.example.org:80", true},
        {"lookup.example.org:443", true},
        {"other.example.org", false},
    };
    for (const auto& [host, accepted] : cases)
        EXPECT_EQ(hosts.accepts(host, false), accepted) << host;
}

// A proxy names the client it speaks for at the end of X-Forwarded-For; what clients write
// there themselves counts only as far as trusted proxies vouch for it.
TEST(TrustedProxiesTest, ClientIsTheNearestAddressNoTrustedProxyWrote) {
    const TrustedProxies proxies({"192.0.2.1", "2001:db8::1", "::ffff:192.0.2.2"});
    using Forwarded = std::vector<std::string_view>;
    const std::tuple<std::string_view, Forwarded, std::string_view> cases[] = {
        {"198.51.100.9", {"203.0.113.5"}, "198.51.100.9"},  // not a proxy: its own address
        {"192.0.2.1", {}, "192.0.2.1"},
        {"192.0.2.1", {"203.0.113.5"}, "203.0.113.5"},
        {"::ffff:192.0.2.1", {" 203.0.113.5 "}, "203.0.113.5"},
        {"192.0.2.1", {"10.9.9.9, 203.0.113.5"}, "203.0.113.5"},   // the first one is forged
        {"192.0.2.1", {"203.0.113.5, 192.0.2.2"}, "203.0.113.5"},  // through two proxies
        {"192.0.2.1", {"203.0.113.5", "192.0.2.2"}, "203.0.113.5"},
        {"2001:db8::1", {"2001:DB8:0::7"}, "2001:db8::7"},
        {"192.0.2.1", {"unknown, 192.0.2.2"}, "192.0.2.2"},
        {"192.0.2.1", {"203.0.113.5\x1b[31m"}, "192.0.2.1"},
    };
    for (const auto& [peer, forwarded, client] : cases)
        EXPECT_EQ(proxies.clientOf(peer, forwarded), client) << peer;
    EXPECT_FALSE(TrustedProxies().contains("127.0.0.1"));
}

TEST(CalendarDateTest, ReadsOnlyRealDaysWrittenAsIso) {
    EXPECT_EQ(parseIsoDate("2024-02-29"), year(2024) / 2 / 29);
    EXPECT_EQ(parseIsoDate("0999-12-31"), year(999) / 12 / 31);
    for (const char* text : {"2023-02-29", "2023-13-01", "2023-00-10", "2023-1-01", "23-01-01",
                             "2023/01/01", "2023-01-01 ", "+023-01-01", "", "２０２３-01-01"}) {
        EXPECT_EQ(parseIsoDate(text), std::nullopt) << text;
    }
    EXPECT_EQ(formatIsoDate(year(999) / 3 / 4), "0999-03-04");
}

TEST(DataDirectoryTest, FollowsXdgThenHome) {
    const std::string inHome = "/home/u/.local/share/quelmarn/devices.sqlite3";
    const std::tuple<const char*, const char*, std::optional<std::string>> cases[] = {
        {"/data", "/home/u", "/data/quelmarn/devices.sqlite3"},
        {nullptr, "/home/u", inHome},
        {"", "/home/u", inHome},
        {"relative", "/home/u", inHome},
        {nullptr, nullptr, std::nullopt},
        {nullptr, "relative", std::nullopt},
    };
    for (const auto& [xdgDataHome, home, path] : cases)
        EXPECT_EQ(defaultDatabasePath(xdgDataHome, home), path) << (home ? home : "(none)");
}

TEST(RequestLogTest, OneSafeLinePerRequest) {
    EXPECT_EQ(formatRequestLogLine(0, "192.0.2.7", "POST", "/inapp.php", 200,
                                   std::chrono::microseconds(1234)),
              "1970-01-01T00:00:00Z 192.0.2.7 POST /inapp.php 200 1.234ms\n");
    EXPECT_EQ(formatRequestLogLine(0, "", "GET", "/a\nb\x1b[31m", 404, std::nullopt),
              "1970-01-01T00:00:00Z - GET /a\\x0Ab\\x1B[31m 404 -\n");
    EXPECT_LT(formatRequestLogLine(0, "::1", "GET", std::string(5000, 'x'), 404, {}).size(), 300u);
}

TEST(UrlUnescapeTest, DecodesEscapesButNeverAZeroByte) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"/inapp%2Ephp", "/inapp.php"},
        {"/a%20b%e4%B8%ad", "/a b\xE4\xB8\xAD"},
        {"/inapp.php%00.txt", "/inapp.php%00.txt"},
        {"%", "%"},
        {"%4", "%4"},
        {"%4g%41", "%4gA"},
        {"%%41", "%A"},
        {"", ""},
    };
    for (const auto& [escaped, decoded] : cases) {
        SCOPED_TRACE(escaped);
        std::string text(escaped);
        const std::size_t length = unescapeUrlKeepingNul(text.data());
        EXPECT_EQ(std::string_view(text.data(), length), decoded);
        EXPECT_EQ(text[length], '\0');
    }
}

TEST(LogEscapeTest, LeavesValidUtf8ThatCannotSteerTheReaderAndEscapesTheRest) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"/kb/HT1349?序列号", "/kb/HT1349?序列号"},
        {"a\\b", "a\\\\b"},                                  // the escape character itself
        {"\r\n\t\x7F", "\\x0D\\x0A\\x09\\x7F"},              // C0 and DEL
        {"\xC2\x85\xC2\x9B", "\\u{0085}\\u{009B}"},          // C1 as UTF-8
        {"\x85\x9B", "\\x85\\x9B"},                          // C1 bytes alone: not UTF-8
        {"abc\xE2\x80\xAEgpj.exe", "abc\\u{202E}gpj.exe"},   // right-to-left override
        {"\xE2\x81\xA6\xE2\x80\x8F", "\\u{2066}\\u{200F}"},  // isolate and mark
        {"\xC0\xAF\xED\xA0\x80\xF4\x90\x80\x80", "\\xC0\\xAF\\xED\\xA0\\x80\\xF4\\x90\\x80\\x80"},
        {"\xE5\xBA", "\\xE5\\xBA"},  // cut off at the end
    };
    for (const auto& [bytes, logged] : cases) {
        std::string line;
        appendEscapedForLog(line, bytes, 200);
        EXPECT_EQ(line, logged);
        EXPECT_TRUE(platform::decodeUtf8(line));
    }
    std::string cut;
    appendEscapedForLog(cut, "ab序列号", 4);  // never half a character
    EXPECT_EQ(cut, "ab...");
}

}  // namespace
}  // namespace quelmarn::service
