#pragma once

#include <ostream>
#include <span>
#include <string>

namespace quelmarn::service {

// Writes one record in the dialect that CsvReader reads: fields separated by commas, a field
// that holds a comma, a quote or a line break (or begins with a byte order mark, or is the
// record's only field and empty) in double quotes with its quotes written twice, and LF at the
// end. Every field comes back as the same bytes.
void writeCsvRecord(std::ostream& out, std::span<const std::string> fields);

}  // namespace quelmarn::service
