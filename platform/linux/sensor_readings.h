#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/linux/root_files.h"
#include "platform/linux/sensor_chips.h"

namespace platform::linux_backend {

// The processor temperature and the fan speeds as one SMC connection sees them: each is read
// from sysfs when first asked for and then kept, so the two exchanges of one key read agree.
// A new connection makes a new one, so readings are never older than the connection; within one
// moment of the machine's files (RootFiles::beginMoment) every connection reads the same files.
class SensorReadings {
  public:
    explicit SensorReadings(RootFiles files);

    // Millidegrees Celsius (processor_temperature.h); std::nullopt when no source reads.
    std::optional<std::int64_t> processorTemperature();

    // Rpm of each fan in its stable order, std::nullopt for one that did not read
    // (fan_speeds.h); empty when there is none.
    const std::vector<std::optional<std::uint32_t>>& fanSpeeds();

  private:
    const std::vector<SensorChip>& hwmonChips();

    RootFiles files_;
    std::optional<std::vector<SensorChip>> hwmonChips_;
    std::optional<std::optional<std::int64_t>> processorTemperature_;
    std::optional<std::vector<std::optional<std::uint32_t>>> fanSpeeds_;
};

// Whether the machine has a device that may give the processor temperature or fan speeds.
// Only names and the devices' file lists are read, not values, so this is cheap.
bool hasSensorSource(const RootFiles& files);

}  // namespace platform::linux_backend
