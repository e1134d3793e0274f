#include "platform/linux/cpuinfo.h"

#include <array>
#include <limits>
#include <map>
#include <set>

#include "platform/linux/arm_core_names.h"
#include "platform/linux/clock_text.h"
#include "platform/linux/text_fields.h"

namespace platform::linux_backend {
namespace {

std::optional<std::string_view> valueIn(const CpuInfoBlock& block, std::string_view key) {
    for (const auto& [name, value] : block) {
        if (name == key) {
            return value;
        }
    }
    return std::nullopt;
}

// The block of processor `cpu`, if cpuinfo has one.
const CpuInfoBlock* blockOf(const std::vector<CpuInfoBlock>& blocks, std::optional<unsigned> cpu) {
    if (!cpu) {
        return nullptr;
    }
    for (const auto& block : blocks) {
        const auto number = valueIn(block, "processor");
        if (number && parseUnsigned(*number) == *cpu) {
            return &block;
        }
    }
    return nullptr;
}

// The non-empty value of `key` in `preferred`, else in the first block that has one.
std::optional<std::string_view> valueFor(const std::vector<CpuInfoBlock>& blocks,
                                         const CpuInfoBlock* preferred, std::string_view key) {
    if (preferred) {
        if (const auto value = valueIn(*preferred, key); value && !value->empty()) {
            return value;
        }
    }
    for (const auto& block : blocks) {
        if (const auto value = valueIn(block, key); value && !value->empty()) {
            return value;
        }
    }
    return std::nullopt;
}

std::optional<std::string_view> armCore(const std::vector<CpuInfoBlock>& blocks,
                                        const CpuInfoBlock* preferred) {
    const auto implementer = valueFor(blocks, preferred, "CPU implementer");
    const auto part = valueFor(blocks, preferred, "CPU part");
    const auto implementerCode = implementer ? parseUnsigned(*implementer, 16) : std::nullopt;
    const auto partCode = part ? parseUnsigned(*part, 16) : std::nullopt;
    return implementerCode && partCode ? armCoreName(*implementerCode, *partCode) : std::nullopt;
}

constexpr std::array<std::string_view, 6> kNameKeys = {"model name", "Model Name", "cpu",
                                                       "uarch",      "cpu model",  "Processor"};
constexpr std::array<std::string_view, 3> kClockKeys = {"cpu MHz", "CPU MHz", "clock"};

}  // namespace

std::vector<CpuInfoBlock> parseCpuInfo(std::string_view text) {
    std::vector<CpuInfoBlock> blocks(1);
    while (!text.empty()) {
        const std::string_view line = takeField(text, '\n');
        const std::size_t colon = line.find(':');
        if (trimmed(line).empty()) {
            if (!blocks.back().empty()) {
                blocks.emplace_back();
            }
        } else if (colon != std::string_view::npos) {
            blocks.back().emplace_back(trimmed(line.substr(0, colon)),
                                       trimmed(line.substr(colon + 1)));
        }
    }
    if (blocks.back().empty()) {
        blocks.pop_back();
    }
    return blocks;
}

std::optional<std::string> processorNameFromCpuInfo(const std::vector<CpuInfoBlock>& blocks,
                                                    std::optional<unsigned> cpu) {
    const CpuInfoBlock* preferred = blockOf(blocks, cpu);
    if (const auto core = armCore(blocks, preferred)) {
        return std::string(*core);
    }
    for (const auto key : kNameKeys) {
        if (const auto name = valueFor(blocks, preferred, key)) {
            return std::string(*name);
        }
    }
    return std::nullopt;
}

std::optional<std::uint64_t> clockHertzFromCpuInfo(const std::vector<CpuInfoBlock>& blocks,
                                                   std::optional<unsigned> cpu) {
    const CpuInfoBlock* preferred = blockOf(blocks, cpu);
    for (const auto key : kClockKeys) {
        if (auto megahertz = valueFor(blocks, preferred, key)) {
            if (megahertz->ends_with("MHz")) {
                megahertz->remove_suffix(3);
            }
            return hertzFromMegahertz(*megahertz);
        }
    }
    return std::nullopt;
}

unsigned physicalCoresFromCpuInfo(const std::vector<CpuInfoBlock>& blocks) {
    std::set<std::pair<std::string_view, std::string_view>> cores;
    std::map<std::string_view, std::uint64_t> coresPerPackage;
    bool everyProcessorHasIds = true;
    for (const auto& block : blocks) {
        if (!valueIn(block, "processor")) {
            continue;
        }
        const auto package = valueIn(block, "physical id");
        const auto core = valueIn(block, "core id");
        if (package && core) {
            cores.emplace(*package, *core);
        } else {
            everyProcessorHasIds = false;
        }
        const auto count = valueIn(block, "cpu cores");
        if (const auto cores = count ? parseUnsigned(*count) : std::nullopt; package && cores) {
            coresPerPackage[*package] = *cores;
        }
    }
    if (everyProcessorHasIds && !cores.empty()) {
        return static_cast<unsigned>(cores.size());
    }
    // A count that does not fit 32 bits is a broken line, not a processor: it says nothing.
    constexpr std::uint64_t kMostCores = std::numeric_limits<std::uint32_t>::max();
    std::uint64_t total = 0;
    for (const auto& [package, count] : coresPerPackage) {
        if (count > kMostCores - total) {
            return 0;
        }
        total += count;
    }
    return static_cast<unsigned>(total);
}

}  // namespace platform::linux_backend
