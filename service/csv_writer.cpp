#include "service/csv_writer.h"

#include <string_view>

namespace quelmarn::service {

namespace {

void writeField(std::ostream& out, std::string_view field) {
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
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
        writeField(out, fields[i]);
    }
    out << '\n';
}

}  // namespace quelmarn::service
