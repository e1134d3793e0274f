#include "service/csv_writer.h"

#include <string_view>

namespace quelmarn::service {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// `alone`: the record's only field, which written empty would make a blank line.
void writeField(std::ostream& out, std::string_view field, bool alone) {
    // A byte order mark at the start of a file is skipped by the reader, so one that begins a
    // field is quoted.
    const bool plain = field.find_first_of(",\"\r\n") == std::string_view::npos &&
                       !field.starts_with(kByteOrderMark) && !(alone && field.empty());
    if (plain) {
        out << field;
        return;
    }
    out << '"';
    for (const char c : field) {
        if (c == '"')
            out << '"';
        out << c;
    }
    out << '"';
}

}  // namespace

void writeCsvRecord(std::ostream& out, std::span<const std::string> fields) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out << ',';
        writeField(out, fields[i], fields.size() == 1);
    }
    out << '\n';
}

}  // namespace quelmarn::service
