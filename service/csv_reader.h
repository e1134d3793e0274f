#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quelmarn::service {

struct CsvRecord {
    std::size_t line;  // 1-based line on which the record starts
    std::vector<std::string> fields;
};

struct CsvProblem {
    std::size_t line;  // 1-based line on which the faulty record starts
    std::string message;
};

struct CsvDocument {
    std::vector<CsvRecord> records;  // in file order, blank lines left out
    std::vector<CsvProblem> problems;
};

// Splits comma-separated text (RFC 4180) into records. Records end at LF or CRLF. A field in
// double quotes may hold commas, line breaks and quotes written twice (""). A leading UTF-8 byte
// order mark, as spreadsheet programs write it, is skipped. A malformed record (a quote inside an
// unquoted field, text after a closing quote, a quote never closed) becomes a problem instead of
// a record, and reading goes on at the next line (for a quote never closed, at the line after
// the one where the record starts). Fields are bytes: no trimming, no decoding.
CsvDocument parseCsv(std::string_view text);

}  // namespace quelmarn::service
