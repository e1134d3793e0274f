#pragma once

#include "platform/smc_param_block.h"

namespace smc {

// The three sensor readings, for any class that offers them (the application delegate and the
// device panel both derive from this, so their readings cannot differ). Each call opens its own
// connection to the SMC driver, reads one key and closes it again; nothing is cached and no
// state of the object is used. A driver that cannot be opened prints SMCOpenDriver's line; any
// failure reads as 0, which a caller cannot tell from a reading of zero.
class SMCSensorQueries {
  public:
    // The processor temperature ("TC0D") in whole degrees Celsius; never negative.
    float get_maintemp() const;
    // The number of fans ("FNum").
    int get_fan_num() const;
    // The last fan that has a speed key.
    static constexpr int kLastFan = platform::SMCLastFan;

    // The current speed of fan `fan`, 0 to kLastFan ("F0Ac" to "F9Ac", then "F10A", ...:
    // SMCFanSpeedKey), in whole revolutions per minute, 0 to 16383: the key's two bytes read as
    // unsigned quarters. A size above 2 reads as 0. Any other index has no key: nothing is
    // opened or read and the speed is 0.
    int get_fan_rpm(int fan) const;
};

}  // namespace smc
