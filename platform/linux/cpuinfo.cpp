#include "platform/linux/cpuinfo.h"

#include <map>
#include <set>

#include "platform/linux/arm_core_names.h"
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

std::optional<std::string_view> firstValue(const std::vector<CpuInfoBlock>& blocks,
                                           std::string_view key) {
    for (const auto& block : blocks) {
        if (const auto value = valueIn(block, key)) {
            return value;
        }
    }
    return std::nullopt;
}

std::optional<std::string> processorNameFromCpuInfo(const std::vector<CpuInfoBlock>& blocks) {
    if (const auto name = firstValue(blocks, "model name"); name && !name->empty()) {
        return std::string(*name);
    }
    const auto implementer = firstValue(blocks, "CPU implementer");
    const auto part = firstValue(blocks, "CPU part");
    if (!implementer || !part) {
        return std::nullopt;
    }
    const auto implementerCode = parseUnsigned(*implementer, 16);
    const auto partCode = parseUnsigned(*part, 16);
    if (!implementerCode || !partCode) {
        return std::nullopt;
    }
    const auto core = armCoreName(*implementerCode, *partCode);
    return core ? std::optional<std::string>(*core) : std::nullopt;
}

unsigned physicalCoresFromCpuInfo(const std::vector<CpuInfoBlock>& blocks) {
    std::set<std::pair<std::string_view, std::string_view>> cores;
    std::map<std::string_view, std::uint64_t> coresPerPackage;
    unsigned processors = 0;
    bool everyProcessorHasIds = true;
    for (const auto& block : blocks) {
        if (!valueIn(block, "processor")) {
            continue;
        }
        ++processors;
        const auto package = valueIn(block, "physical id");
        const auto core = valueIn(block, "core id");
        if (package && core) {
            cores.emplace(*package, *core);
        } else {
            everyProcessorHasIds = false;
        }
        const auto count = valueIn(block, "cpu cores");
        if (package && count && parseUnsigned(*count)) {
            coresPerPackage[*package] = *parseUnsigned(*count);
        }
    }
    if (everyProcessorHasIds && !cores.empty()) {
        return static_cast<unsigned>(cores.size());
    }
    std::uint64_t total = 0;
    for (const auto& [package, count] : coresPerPackage) {
        total += count;
    }
    return total > 0 ? static_cast<unsigned>(total) : processors;
}

}  // namespace platform::linux_backend
