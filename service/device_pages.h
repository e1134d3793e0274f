#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "service/device.h"

namespace quelmarn::service {

// True while `today` is on or before the warranty's last day.
bool isUnderWarranty(const Device& device, std::chrono::year_month_day today);

// The answer to a lookup that found `device`: its model, identifier, dates, whether the warranty
// still covers it on `today` (保修中 / 已过保) and its notes. Every value is escaped.
std::string renderDevicePage(const Device& device, std::chrono::year_month_day today);

// The answer to a lookup of a serial that no device is registered under, showing the serial
// exactly as received, escaped, and linking to the help page on finding serial numbers.
std::string renderNotRegisteredPage(std::string_view serial);

}  // namespace quelmarn::service
