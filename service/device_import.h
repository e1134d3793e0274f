#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "service/csv_reader.h"
#include "service/device_store.h"

namespace quelmarn::service {

struct ImportReport {
    std::size_t imported = 0;          // devices saved, replaced ones included
    std::vector<CsvProblem> problems;  // lines left out and why, in line order
};

// Registers the devices listed in CSV `text` (UTF-8). Its first record names the columns, in
// any order: serial, model, model_identifier, manufactured_on, warranty_ends_on (both dates as
// YYYY-MM-DD) and, optionally, notes. A device replaces one already registered under the same
// serial. Faulty lines are reported and left out; all the others are saved in one transaction.
// When the header itself is faulty nothing is saved. Throws StoreError when saving fails, in
// which case nothing is saved either.
ImportReport importDevices(DeviceStore& store, std::string_view text);

}  // namespace quelmarn::service
