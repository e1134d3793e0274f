#include "platform/linux/smc_user_client.h"

#include <algorithm>
#include <cstring>

#include "platform/linux/smc_keys.h"
#include "smc/smc_param_block.h"

namespace platform::linux_backend {

SmcUserClient::SmcUserClient(RootFiles files) : sensors_(std::move(files)) {}

kern_return_t SmcUserClient::callStructMethod(std::uint32_t selector,
                                              std::span<const std::byte> input,
                                              std::span<std::byte> output,
                                              std::size_t* outputSize) {
    smc::SMCParamBlock request;
    if (selector != smc::kSMCBlockSelector || input.size() < sizeof request ||
        output.size() < sizeof request || outputSize == nullptr) {
        return kIOReturnBadArgument;
    }
    std::memcpy(&request, input.data(), sizeof request);
    if (request.command != smc::SMCCommandKeyInfo && request.command != smc::SMCCommandReadBytes) {
        return kIOReturnBadArgument;
    }
    const auto value = smc_keys::keyValue(request.key, sensors_);
    if (!value) {
        return kIOReturnNotFound;
    }

    smc::SMCParamBlock reply;
    if (request.command == smc::SMCCommandKeyInfo) {
        reply.dataSize = value->size;
        reply.dataType = value->type;
    } else if (request.dataSize == value->size) {
        std::ranges::copy(value->bytes, reply.bytes);
    } else {
        return kIOReturnBadArgument;
    }
    std::memcpy(output.data(), &reply, sizeof reply);
    *outputSize = sizeof reply;
    return KERN_SUCCESS;
}

}  // namespace platform::linux_backend
