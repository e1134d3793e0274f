#include "sysinfo/var_system_info.h"

#include "platform/foundation.h"
#include "platform/machine.h"

namespace sysinfo {

VarSystemInfo::VarSystemInfo() {
    setupSystemInformation();
}

void VarSystemInfo::setupSystemInformation() {
    // One gathering, one reading: the processor's three facts share one /proc/cpuinfo.
    const platform::MachineSnapshot snapshot;
    const platform::NSProcessInfo processInfo = platform::NSProcessInfo::processInfo();
    setSysName(platform::NSHost::currentHost().localizedName());
    setSysUserName(platform::NSUserName());
    setSysFullUserName(platform::NSFullUserName());
    setSysOSName(processInfo.operatingSystemName());
    setSysOSVersion(getOSVersionInfo());
    // The count is taken as a signed 64-bit number, as the consumers' number conversions expect.
    setSysPhysicalMemory(std::to_string(static_cast<std::int64_t>(processInfo.physicalMemory())));
    setSysSerialNumber(_strIORegistryEntry("IOPlatformSerialNumber"));
    setSysUUID(_strIORegistryEntry("IOPlatformUUID"));
    setSysModelID(_strControlEntry("hw.model"));
    setSysModelName(_modelNameFromID(sysModelID()));
    setSysProcessorName(_parseBrandName(_strControlEntry("machdep.cpu.brand_string")));
    const std::optional<std::uint64_t> speed = _numControlEntry("hw.cpufrequency");
    setSysProcessorSpeed(speed ? std::optional(std::to_string(*speed)) : std::nullopt);
    setSysProcessorCount(_numControlEntry("hw.physicalcpu"));
}

}  // namespace sysinfo
