// The 80-byte parameter block as the stand-in SMC driver receives it, over a captured laptop's
// sensors. The first byte is the selector, the second the bytes of room given for the reply
// (80 for a whole block); the rest is the block, of any length.
#include <algorithm>
#include <cstring>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "platform/linux/smc_user_client.h"
#include "platform/smc_param_block.h"

namespace {

constexpr std::byte kUntouched{0xA5};

bool isUntouched(std::byte b) {
    return b == kUntouched;
}

platform::linux_backend::SmcUserClient& client() {
    static platform::linux_backend::SmcUserClient client(
        platform::linux_backend::RootFiles(QUELMARN_FIXTURES_DIR "/macbook-linux"));
    return client;
}

// Whether the reply holds nothing but what `request` asked for: size and type after key info,
// no more value bytes than the key's size after read bytes.
bool repliesOnlyWhatWasAsked(const platform::SMCParamBlock& request,
                             const platform::SMCParamBlock& reply) {
    platform::SMCParamBlock expected;
    if (request.command == platform::SMCCommandKeyInfo) {
        expected.dataSize = reply.dataSize;
        expected.dataType = reply.dataType;
    } else {
        const std::size_t valueBytes = std::min<std::size_t>(request.dataSize, sizeof reply.bytes);
        std::copy_n(reply.bytes, valueBytes, expected.bytes);
    }
    return std::memcmp(&expected, &reply, sizeof reply) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const std::uint32_t selector = data[0];
    const std::size_t replyRoom = data[1];
    const std::span<const std::uint8_t> block(data + 2, size - 2);

    std::vector<std::byte> output(replyRoom, kUntouched);
    std::size_t outputSize = replyRoom;
    const auto status =
        client().callStructMethod(selector, std::as_bytes(std::span(block)), output, &outputSize);
    if (status != platform::KERN_SUCCESS) {
        fuzz::require(outputSize == replyRoom && std::ranges::all_of(output, isUntouched),
                      "a refused block leaves the reply untouched");
        return 0;
    }
    fuzz::require(selector == platform::kSMCBlockSelector &&
                      block.size() >= sizeof(platform::SMCParamBlock) &&
                      replyRoom >= sizeof(platform::SMCParamBlock),
                  "only selector 2 with a whole block and room for one is answered");
    fuzz::require(outputSize == sizeof(platform::SMCParamBlock), "a reply is one block");
    platform::SMCParamBlock request;
    platform::SMCParamBlock reply;
    std::memcpy(&request, block.data(), sizeof request);
    std::memcpy(&reply, output.data(), sizeof reply);
    fuzz::require(repliesOnlyWhatWasAsked(request, reply), "every other reply byte is zero");
    return 0;
}
