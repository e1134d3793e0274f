#pragma once

#include <cstddef>
#include <functional>
#include <istream>

#include "service/csv_reader.h"
#include "service/device_registry.h"

namespace quelmarn::service {

struct ImportReport {
    std::size_t imported = 0;  // devices saved, replaced ones included
    std::size_t problems = 0;  // faulty lines
    bool readFailed = false;   // the stream failed midway: nothing was saved
};

// What to do with a file that has faulty lines besides good ones.
enum class FaultyLines {
    kRefuseFile,  // save nothing: a file with a mistake is likely to have more
    kSkip,        // save the good lines
};

// Registers the devices listed in the CSV read from `csv` (UTF-8, a seekable stream). Its first
// record names the columns, in any order: serial, model, model_identifier, manufactured_on,
// warranty_ends_on (both dates as YYYY-MM-DD) and, optionally, notes. A device replaces one
// already registered under the same serial. Every faulty line is handed to `report` as it is
// found, in line order, a serial listed twice included (the later lines); with kRefuseFile
// nothing is saved when there is one, with kSkip the other lines are saved, in one transaction
// either way. When the header itself is faulty, or the stream fails, nothing is saved. Memory
// stays bounded whatever the file's size. Throws StoreError when saving fails, in which case
// nothing is saved either.
ImportReport importDevices(DeviceRegistry& store, std::istream& csv, FaultyLines faultyLines,
                           const std::function<void(const CsvProblem&)>& report);

}  // namespace quelmarn::service
