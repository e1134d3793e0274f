#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/linux/processor_facts.h"
#include "platform/linux/root_files.h"

namespace platform::linux_backend {

// The kernel variables the system asks for by their sysctl names, answered from the files
// below the root, as sysctl would copy them out: text with its terminating NUL, numbers
// little-endian in their natural width.
// - "kern.ostype", "kern.osrelease", "kern.osversion": /proc/sys/kernel/ostype, osrelease and
//   version, the fields of uname(2);
// - "quelmarn.os.product_name", a name of this system's own that no kernel has: the
//   distribution's name and version (operating_system.h);
// - "hw.model": the model identifier (platform_identity.h);
// - "machdep.cpu.brand_string": the processor's name;
// - "hw.cpufrequency": the nominal clock in hertz, 8 bytes;
// - "hw.physicalcpu": the number of physical cores, 4 bytes;
// the last three from `processor` (processor_facts.h), which describes the same machine.
// std::nullopt for any other name, and when the machine does not tell the value.
std::optional<std::vector<std::byte>> sysctlValue(const RootFiles& files, ProcessorFacts& processor,
                                                  std::string_view name);

}  // namespace platform::linux_backend
