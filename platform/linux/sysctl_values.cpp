#include "platform/linux/sysctl_values.h"

#include <array>
#include <cstdint>
#include <string>

#include "platform/linux/operating_system.h"
#include "platform/linux/platform_identity.h"

namespace platform::linux_backend {
namespace {

using Value = std::optional<std::vector<std::byte>>;

Value nulTerminated(const std::optional<std::string>& text) {
    if (!text) {
        return std::nullopt;
    }
    std::vector<std::byte> bytes;
    bytes.reserve(text->size() + 1);
    for (const char c : *text) {
        bytes.push_back(static_cast<std::byte>(c));
    }
    bytes.push_back(std::byte{0});
    return bytes;
}

template <typename Number>
Value littleEndian(const std::optional<Number>& number) {
    if (!number) {
        return std::nullopt;
    }
    std::vector<std::byte> bytes(sizeof(Number));
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::byte>((*number >> (8 * i)) & 0xFF);
    }
    return bytes;
}

struct Variable {
    std::string_view name;
    Value (*read)(const RootFiles&, ProcessorFacts&);
};

constexpr std::array<Variable, 8> kVariables = {{
    {"kern.ostype",
     [](const RootFiles& f, ProcessorFacts&) {
         return nulTerminated(f.read("/proc/sys/kernel/ostype"));
     }},
    {"kern.osrelease",
     [](const RootFiles& f, ProcessorFacts&) {
         return nulTerminated(f.read("/proc/sys/kernel/osrelease"));
     }},
    {"kern.osversion",
     [](const RootFiles& f, ProcessorFacts&) {
         return nulTerminated(f.read("/proc/sys/kernel/version"));
     }},
    {"quelmarn.os.product_name",
     [](const RootFiles& f, ProcessorFacts&) { return nulTerminated(distributionName(f)); }},
    {"hw.model",
     [](const RootFiles& f, ProcessorFacts&) { return nulTerminated(modelIdentifier(f)); }},
    {"machdep.cpu.brand_string",
     [](const RootFiles&, ProcessorFacts& p) { return nulTerminated(p.brand()); }},
    {"hw.cpufrequency",
     [](const RootFiles&, ProcessorFacts& p) { return littleEndian(p.nominalClockHertz()); }},
    {"hw.physicalcpu",
     [](const RootFiles&, ProcessorFacts& p) { return littleEndian(p.physicalCores()); }},
}};

}  // namespace

std::optional<std::vector<std::byte>> sysctlValue(const RootFiles& files, ProcessorFacts& processor,
                                                  std::string_view name) {
    for (const auto& variable : kVariables) {
        if (variable.name == name) {
            return variable.read(files, processor);
        }
    }
    return std::nullopt;
}

}  // namespace platform::linux_backend
