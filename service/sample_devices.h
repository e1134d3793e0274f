#pragma once

#include <span>

#include "service/device.h"

namespace quelmarn::service {

// The devices a new database starts with: invented serials, some still under warranty and some
// not (as of late 2026), so that both kinds of answer can be tried at once.
std::span<const Device> sampleDevices();

}  // namespace quelmarn::service
