#pragma once

#include <algorithm>

#include "platform/machine.h"
#include "smc/smc_sensor_queries.h"
#include "sysinfo/var_system_info.h"

namespace bench_linux {

// What one launch asks of the installed machine, in the application's order: the record and
// the three readings of the launch log, then the first device panel (its record, the display
// row's second record, the temperature, the fan count and each fan's speed). As the application
// does, the whole launch is one moment of the machine. Returns the fan count, so that nothing is
// optimised away.
inline int launchBackendWork() {
    const platform::MachineSnapshot launch;
    const smc::SMCSensorQueries sensors;
    const sysinfo::VarSystemInfo logRecord;
    int seen = static_cast<int>(sensors.get_maintemp()) + sensors.get_fan_num() +
               sensors.get_fan_rpm(0) + static_cast<int>(logRecord.sysName().has_value());

    const platform::MachineSnapshot panel;
    const sysinfo::VarSystemInfo panelRecord;
    const sysinfo::VarSystemInfo screenRecord;
    seen += static_cast<int>(sensors.get_maintemp());
    const int fans = sensors.get_fan_num();
    for (int fan = 0; fan < std::max(fans, 1) && fan <= smc::SMCSensorQueries::kLastFan; ++fan) {
        seen += sensors.get_fan_rpm(fan);
    }
    return seen + static_cast<int>(panelRecord.sysModelID().has_value()) +
           static_cast<int>(screenRecord.sysModelID().has_value());
}

}  // namespace bench_linux
