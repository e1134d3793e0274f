#include "platform/linux/sensor_readings.h"

#include <algorithm>

#include "platform/linux/fan_speeds.h"
#include "platform/linux/processor_temperature.h"

namespace platform::linux_backend {

SensorReadings::SensorReadings(RootFiles files) : files_(std::move(files)) {}

const std::vector<SensorChip>& SensorReadings::hwmonChips() {
    if (!hwmonChips_) {
        hwmonChips_ = findHwmonChips(files_);
    }
    return *hwmonChips_;
}

std::optional<std::int64_t> SensorReadings::processorTemperature() {
    if (!processorTemperature_) {
        processorTemperature_ = readProcessorTemperature(files_, hwmonChips());
    }
    return *processorTemperature_;
}

const std::vector<std::optional<std::uint32_t>>& SensorReadings::fanSpeeds() {
    if (!fanSpeeds_) {
        fanSpeeds_ = readFanSpeeds(files_, hwmonChips());
    }
    return *fanSpeeds_;
}

bool hasSensorSource(const RootFiles& files) {
    const auto isTemperatureSource = [](const SensorChip& chip) {
        return isProcessorTemperatureSource(chip.name);
    };
    // Any driver may have fans, so a device counts by its fan inputs.
    const auto isSource = [&files, &isTemperatureSource](const SensorChip& chip) {
        return isTemperatureSource(chip) ||
               (coolsTheMachine(chip.name) && !findChannels(files, chip, "fan").empty());
    };
    return std::ranges::any_of(findHwmonChips(files), isSource) ||
           std::ranges::any_of(findThermalZones(files), isTemperatureSource);
}

}  // namespace platform::linux_backend
