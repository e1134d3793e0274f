// An import file of any bytes. Every record read, written again with each field quoted, must
// read back as the same fields and no problem.
#include <string>

#include "fuzz/fuzz_input.h"
#include "service/csv_reader.h"

namespace {

std::string quoted(const std::string& field) {
    std::string out = "\"";
    for (const char c : field) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    return out + '"';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto document = quelmarn::service::parseCsv(fuzz::textOf(data, size));
    std::string written;
    std::size_t previousLine = 0;
    for (const auto& record : document.records) {
        fuzz::require(!record.fields.empty(), "a record has a field");
        fuzz::require(record.line > previousLine, "records are in file order");
        previousLine = record.line;
        for (std::size_t i = 0; i < record.fields.size(); ++i) {
            written += (i == 0 ? "" : ",") + quoted(record.fields[i]);
        }
        written += "\r\n";
    }
    const auto again = quelmarn::service::parseCsv(written);
    fuzz::require(again.problems.empty() && again.records.size() == document.records.size(),
                  "written records read back without a problem");
    for (std::size_t i = 0; i < again.records.size(); ++i) {
        fuzz::require(again.records[i].fields == document.records[i].fields,
                      "written records read back the same");
    }
    return 0;
}
