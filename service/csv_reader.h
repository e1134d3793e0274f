#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
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

// A record longer than this is refused, so that a file of any size (or a quote never closed)
// is read in bounded memory; a device's fields take a few hundred bytes.
constexpr std::size_t kMaxCsvRecordBytes = 64 * 1024;

// Reads comma-separated text (RFC 4180) one record at a time from a seekable stream. Records end
// at LF or CRLF. A field in double quotes may hold commas, line breaks and quotes written twice
// (""). A leading UTF-8 byte order mark, as spreadsheet programs write it, is skipped. A
// malformed record (a quote inside an unquoted field, text after a closing quote, a quote never
// closed, more than kMaxCsvRecordBytes) becomes a problem instead of a record, and reading goes
// on at the next line (for a quote never closed or a record too long, at the line after the one
// where the record starts). Fields are bytes: no trimming, no decoding.
class CsvReader {
  public:
    explicit CsvReader(std::istream& in);

    // The next record or problem in file order, blank lines left out; nothing at the end.
    std::optional<std::variant<CsvRecord, CsvProblem>> next();

    // Whether the stream failed otherwise than by ending.
    bool failed() const { return in_.bad(); }

  private:
    bool fill(std::size_t count);  // makes `count` bytes available ahead; false when fewer are
    char peek() const { return buffer_[pos_]; }
    bool atEnd() { return !fill(1); }
    bool atLineEnd();
    bool atFieldEnd() { return atEnd() || peek() == ',' || atLineEnd(); }
    char take();
    bool consumeLineEnd();
    void skipRestOfLine();
    void seek(std::uint64_t offset);
    std::uint64_t offset() const { return bufferStart_ + pos_; }
    std::optional<std::string> readRecord(std::vector<std::string>& fields,
                                          std::uint64_t recordStart);
    std::optional<std::string> readUnquoted(std::string& field, std::uint64_t recordStart);
    std::optional<std::string> readQuoted(std::string& field, std::uint64_t recordStart);

    std::istream& in_;
    std::string buffer_;
    std::size_t pos_ = 0;            // next byte within buffer_
    std::uint64_t bufferStart_ = 0;  // offset in the stream of buffer_[0]
    std::size_t line_ = 1;
};

struct CsvDocument {
    std::vector<CsvRecord> records;  // in file order, blank lines left out
    std::vector<CsvProblem> problems;
};

// Every record and problem of `text`, read as CsvReader does.
CsvDocument parseCsv(std::string_view text);

}  // namespace quelmarn::service
