#include "service/csv_reader.h"

#include <gtest/gtest.h>

namespace quelmarn::service {
namespace {

using Fields = std::vector<std::string>;

struct CsvCase {
    const char* name;
    std::string_view text;
    std::vector<CsvRecord> records;
    std::vector<std::size_t> problemLines;
};

// Records as (line, fields) pairs, which gtest compares and prints.
std::vector<std::pair<std::size_t, Fields>> linesAndFields(const std::vector<CsvRecord>& records) {
    std::vector<std::pair<std::size_t, Fields>> pairs;
    for (const auto& record : records)
        pairs.emplace_back(record.line, record.fields);
    return pairs;
}

TEST(CsvReaderTest, SplitsRecordsAndReportsMalformedOnes) {
    const CsvCase cases[] = {
        {"empty text", "", {}, {}},
        {"plain", "a,b\nc,d\n", {{1, Fields{"a", "b"}}, {2, Fields{"c", "d"}}}, {}},
        {"no final line end", "a,b", {{1, Fields{"a", "b"}}}, {}},
        {"CRLF", "a,b\r\nc\r\n", {{1, Fields{"a", "b"}}, {2, Fields{"c"}}}, {}},
        {"empty fields", ",x,\n", {{1, Fields{"", "x", ""}}}, {}},
        {"blank lines skipped", "a\n\n\r\nb\n", {{1, Fields{"a"}}, {4, Fields{"b"}}}, {}},
        {"blanks kept", " a , b \n", {{1, Fields{" a ", " b "}}}, {}},
        {"byte order mark", "\xEF\xBB\xBFserial\n", {{1, Fields{"serial"}}}, {}},
        {"quoted comma and quotes", "\"a,\"\"b\"\"\",c\n", {{1, Fields{"a,\"b\"", "c"}}}, {}},
        {"quoted empty", "\"\",x\n", {{1, Fields{"", "x"}}}, {}},
        {"quoted line break", "\"a\nb\",c\nd\n", {{1, Fields{"a\nb", "c"}}, {3, Fields{"d"}}}, {}},
        {"lone CR is data", "a\rb\n", {{1, Fields{"a\rb"}}}, {}},
        {"quote inside unquoted", "a\"b,c\nd\n", {{2, Fields{"d"}}}, {1}},
        {"text after closing quote", "x\n\"a\"b,c\nd\n", {{1, Fields{"x"}}, {3, Fields{"d"}}}, {2}},
        {"quote never closed", "a\n\"b,c\nd\n", {{1, Fields{"a"}}}, {2}},
    };
    for (const auto& c : cases) {
        const CsvDocument document = parseCsv(c.text);
        EXPECT_EQ(linesAndFields(document.records), linesAndFields(c.records)) << c.name;
        std::vector<std::size_t> problemLines;
        for (const auto& problem : document.problems)
            problemLines.push_back(problem.line);
        EXPECT_EQ(problemLines, c.problemLines) << c.name;
    }
}

}  // namespace
}  // namespace quelmarn::service
