// An import file of any bytes. Every record read, written again as an export writes it, must
// read back as the same fields and no problem.
#include <sstream>
#include <string>

#include "fuzz/fuzz_input.h"
#include "service/csv_reader.h"
#include "service/csv_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto document = quelmarn::service::parseCsv(fuzz::textOf(data, size));
    std::ostringstream written;
    std::size_t previousLine = 0;
    for (const auto& record : document.records) {
        fuzz::require(!record.fields.empty(), "a record has a field");
        fuzz::require(record.line > previousLine, "records are in file order");
        previousLine = record.line;
        quelmarn::service::writeCsvRecord(written, record.fields);
    }
    const auto again = quelmarn::service::parseCsv(written.str());
    fuzz::require(again.problems.empty() && again.records.size() == document.records.size(),
                  "written records read back without a problem");
    for (std::size_t i = 0; i < again.records.size(); ++i) {
        fuzz::require(again.records[i].fields == document.records[i].fields,
                      "written records read back the same");
    }
    return 0;
}
