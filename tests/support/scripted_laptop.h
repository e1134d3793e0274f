#pragma once

#include "tests/support/scripted_machine.h"

namespace testing_support {

// Makes `machine` answer as a 2012 laptop running Ubuntu 18.04 (Linux 4.15.0-213-generic) with
// a 2.3 GHz four-core Intel Core i7, 8 GiB of memory, model "MacBookPro10,1", serial number
// "C02J1234DKQ1" and UUID "9F3C6E0A-52B1-4C8E-9D0F-2A7B1E6C4D33". No sensors.
void scriptLaptop2012(ScriptedMachine& machine);

}  // namespace testing_support
