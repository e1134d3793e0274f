#include "service/csv_reader.h"

#include <sstream>

namespace quelmarn::service {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kUnclosedQuote = "引号没有闭合";
constexpr std::string_view kTooLong = "记录超过 64 KiB（是否有引号没有闭合？）";
constexpr std::size_t kChunk = 64 * 1024;

}  // namespace

CsvReader::CsvReader(std::istream& in) : in_(in) {
    const auto start = in_.tellg();
    bufferStart_ = start < 0 ? 0 : static_cast<std::uint64_t>(start);
    if (fill(kByteOrderMark.size()) && std::string_view(buffer_).starts_with(kByteOrderMark))
        pos_ = kByteOrderMark.size();
}

bool CsvReader::fill(std::size_t count) {
    while (buffer_.size() - pos_ < count && in_.good()) {
        buffer_.erase(0, pos_);
        bufferStart_ += pos_;
        pos_ = 0;
        const std::size_t had = buffer_.size();
        buffer_.resize(had + kChunk);
        in_.read(buffer_.data() + had, static_cast<std::streamsize>(kChunk));
        buffer_.resize(had + static_cast<std::size_t>(in_.gcount()));
    }
    return buffer_.size() - pos_ >= count;
}

bool CsvReader::atLineEnd() {
    if (atEnd())
        return false;
    return peek() == '\n' || (peek() == '\r' && fill(2) && buffer_[pos_ + 1] == '\n');
}

char CsvReader::take() {
    return buffer_[pos_++];
}

bool CsvReader::consumeLineEnd() {
    if (!atLineEnd())
        return false;
    pos_ += peek() == '\r' ? 2 : 1;
    ++line_;
    return true;
}

void CsvReader::skipRestOfLine() {
    while (!atEnd() && !consumeLineEnd())
        ++pos_;
}

void CsvReader::seek(std::uint64_t offset) {
    if (offset >= bufferStart_ && offset <= bufferStart_ + buffer_.size()) {
        pos_ = static_cast<std::size_t>(offset - bufferStart_);
        return;
    }
    in_.clear();
    in_.seekg(static_cast<std::streamoff>(offset));
    buffer_.clear();
    pos_ = 0;
    bufferStart_ = offset;
}

std::optional<std::variant<CsvRecord, CsvProblem>> CsvReader::next() {
    while (consumeLineEnd()) {
        // blank lines
    }
    if (atEnd())
        return std::nullopt;
    const std::size_t startLine = line_;
    const std::uint64_t start = offset();
    CsvRecord record{startLine, {}};
    auto problem = readRecord(record.fields, start);
    if (!problem)
        return record;
    if (*problem == kUnclosedQuote || *problem == kTooLong) {
        // The record took in what may be the rest of the file: read on from the next line, so
        // that the lines below are read (and reported) on their own.
        seek(start);
        line_ = startLine;
    }
    skipRestOfLine();
    return CsvProblem{startLine, std::move(*problem)};
}

// Reads fields up to and including the record's line end; a message on a malformed record.
std::optional<std::string> CsvReader::readRecord(std::vector<std::string>& fields,
                                                 std::uint64_t recordStart) {
    for (;;) {
        std::string field;
        auto problem = (!atEnd() && peek() == '"') ? readQuoted(field, recordStart)
                                                   : readUnquoted(field, recordStart);
        if (problem)
            return problem;
        fields.push_back(std::move(field));
        if (atEnd() || consumeLineEnd())
            return std::nullopt;
        ++pos_;  // the comma, the only other thing a field can stop at
        if (offset() - recordStart > kMaxCsvRecordBytes)
            return std::string(kTooLong);
    }
}

std::optional<std::string> CsvReader::readUnquoted(std::string& field, std::uint64_t recordStart) {
    while (!atFieldEnd()) {
        if (peek() == '"')
            return "未加引号的字段中出现了引号";
        if (offset() - recordStart >= kMaxCsvRecordBytes)
            return std::string(kTooLong);
        field += take();
    }
    return std::nullopt;
}

std::optional<std::string> CsvReader::readQuoted(std::string& field, std::uint64_t recordStart) {
    ++pos_;  // the opening quote
    for (;;) {
        if (atEnd())
            return std::string(kUnclosedQuote);
        if (offset() - recordStart >= kMaxCsvRecordBytes)
            return std::string(kTooLong);
        const char c = take();
        if (c == '"') {
            if (atEnd() || peek() != '"')
                break;
            ++pos_;  // the second quote of a doubled pair
        } else if (c == '\n') {
            ++line_;
        }
        field += c;
    }
    if (atFieldEnd())
        return std::nullopt;
    return "闭合引号之后还有多余的字符";
}

CsvDocument parseCsv(std::string_view text) {
    std::istringstream in{std::string(text)};
    CsvReader reader(in);
    CsvDocument document;
    while (auto item = reader.next()) {
        if (auto* record = std::get_if<CsvRecord>(&*item))
            document.records.push_back(std::move(*record));
        else
            document.problems.push_back(std::get<CsvProblem>(std::move(*item)));
    }
    return document;
}

}  // namespace quelmarn::service
