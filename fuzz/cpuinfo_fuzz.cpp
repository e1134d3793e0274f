// /proc/cpuinfo as any architecture's kernel, or a broken one, might write it: the blocks, the
// processor name, the core count and the clocks read from them.
#include <algorithm>

#include "fuzz/fuzz_input.h"
#include "platform/linux/clock_text.h"
#include "platform/linux/cpuinfo.h"
#include "platform/linux/text_fields.h"

namespace {

using namespace platform::linux_backend;

bool pointsInto(std::string_view part, std::string_view whole) {
    return part.empty() || (part.data() >= whole.data() &&
                            part.data() + part.size() <= whole.data() + whole.size());
}

std::uint64_t processorBlocks(const std::vector<CpuInfoBlock>& blocks) {
    std::uint64_t count = 0;
    for (const auto& block : blocks) {
        count += std::ranges::any_of(block,
                                     [](const auto& entry) { return entry.first == "processor"; });
    }
    return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::textOf(data, size);
    const auto blocks = parseCpuInfo(text);
    for (const auto& block : blocks) {
        fuzz::require(!block.empty(), "no block is empty");
        for (const auto& [key, value] : block) {
            fuzz::require(pointsInto(key, text) && pointsInto(value, text),
                          "keys and values view the text");
            fuzz::require(trimmed(key) == key && trimmed(value) == value,
                          "keys and values are trimmed");
            fuzz::require(key.find_first_of(":\n") == key.npos, "a key holds no ':' or line end");
        }
    }
    fuzz::require(processorBlocks(blocks) > 0 || physicalCoresFromCpuInfo(blocks) == 0,
                  "without a processor there is no core");
    if (const auto name = processorNameFromCpuInfo(blocks)) {
        hertzFromNameSuffix(*name);
    }
    clockHertzFromCpuInfo(blocks);
    return 0;
}
