#include "service/csv_reader.h"

#include <optional>

namespace quelmarn::service {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kUnclosedQuote = "引号没有闭合";

class CsvParser {
  public:
    explicit CsvParser(std::string_view text) : text_(text) {
        if (text_.starts_with(kByteOrderMark))
            pos_ = kByteOrderMark.size();
    }

    CsvDocument parse() {
        CsvDocument document;
        while (!atEnd()) {
            if (consumeLineEnd())
                continue;  // a blank line
            const std::size_t startLine = line_;
            const std::size_t startPos = pos_;
            CsvRecord record{startLine, {}};
            if (auto problem = readRecord(record.fields)) {
                if (*problem == kUnclosedQuote) {
                    // The quote took in the rest of the file: read on from the next line, so
                    // that the lines below are read (and reported) on their own.
                    pos_ = startPos;
                    line_ = startLine;
                }
                document.problems.push_back({startLine, std::move(*problem)});
                skipRestOfLine();
            } else {
                document.records.push_back(std::move(record));
            }
        }
        return document;
    }

  private:
    bool atEnd() const { return pos_ >= text_.size(); }
    char peek() const { return text_[pos_]; }
    bool atLineEnd() const {
        return !atEnd() && (peek() == '\n' || text_.substr(pos_).starts_with("\r\n"));
    }
    bool atFieldEnd() const { return atEnd() || peek() == ',' || atLineEnd(); }

    bool consumeLineEnd() {
        if (!atLineEnd())
            return false;
        pos_ += peek() == '\r' ? 2 : 1;
        ++line_;
        return true;
    }

    void skipRestOfLine() {
        while (!atEnd() && !consumeLineEnd())
            ++pos_;
    }

    // Reads fields up to and including the record's line end; a message on a malformed record.
    std::optional<std::string> readRecord(std::vector<std::string>& fields) {
        for (;;) {
            std::string field;
            auto problem = (!atEnd() && peek() == '"') ? readQuoted(field) : readUnquoted(field);
            if (problem)
                return problem;
            fields.push_back(std::move(field));
            if (atEnd() || consumeLineEnd())
                return std::nullopt;
            ++pos_;  // the comma, the only other thing a field can stop at
        }
    }

    std::optional<std::string> readUnquoted(std::string& field) {
        while (!atFieldEnd()) {
            if (peek() == '"')
                return "未加引号的字段中出现了引号";
            field += text_[pos_++];
        }
        return std::nullopt;
    }

    std::optional<std::string> readQuoted(std::string& field) {
        ++pos_;  // the opening quote
        for (;;) {
            if (atEnd())
                return std::string(kUnclosedQuote);
            const char c = text_[pos_++];
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

    std::string_view text_;
    std::size_t pos_ = 0;
    std::size_t line_ = 1;
};

}  // namespace

CsvDocument parseCsv(std::string_view text) {
    return CsvParser(text).parse();
}

}  // namespace quelmarn::service
