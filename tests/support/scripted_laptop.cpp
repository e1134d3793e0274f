#include "tests/support/scripted_laptop.h"

namespace testing_support {

void scriptLaptop2012(ScriptedMachine& machine) {
    machine.hostName = "研发部的 MacBook Pro";
    machine.user = "lin";
    machine.fullUser = "Lin Wei";
    machine.osName = "Linux";
    machine.memory = 8ULL << 30;
    machine.setSysctlText("kern.ostype", "Linux");
    machine.setSysctlText("kern.osrelease", "4.15.0-213-generic");
    machine.setSysctlText("kern.osversion", "#224-Ubuntu SMP Mon Jun 19 13:30:12 UTC 2023");
    machine.setSysctlText("quelmarn.os.product_name", "Ubuntu 18.04");
    machine.setSysctlText("hw.model", "MacBookPro10,1");
    machine.setSysctlText("machdep.cpu.brand_string", "Intel(R) Core(TM) i7-3615QM CPU @ 2.30GHz");
    machine.setSysctlUInt64("hw.cpufrequency", 2'300'000'000);
    machine.setSysctlUInt32("hw.physicalcpu", 4);
    machine.addRegistryEntry("IOPlatformExpertDevice",
                             {{"IOPlatformSerialNumber", "C02J1234DKQ1"},
                              {"IOPlatformUUID", "9F3C6E0A-52B1-4C8E-9D0F-2A7B1E6C4D33"}});
}

}  // namespace testing_support
