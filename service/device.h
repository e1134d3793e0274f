#pragma once

#include <chrono>
#include <string>

namespace quelmarn::service {

// One machine registered with the lookup service. Texts are UTF-8 as they were registered; the
// serial is the key and is compared byte for byte (no trimming, no case folding).
struct Device {
    std::string serial;
    std::string model;            // the reader's name for it, e.g. "笔记本电脑 15 英寸"
    std::string modelIdentifier;  // the firmware's name for it, e.g. "Notebook15,1"
    std::chrono::year_month_day manufacturedOn;
    std::chrono::year_month_day warrantyEndsOn;  // the last day still covered
    std::string notes;

    bool operator==(const Device&) const = default;
};

}  // namespace quelmarn::service
