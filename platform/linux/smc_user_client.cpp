#include "platform/linux/smc_user_client.h"

#include <algorithm>
#include <cstring>

#include "platform/linux/smc_keys.h"
#include "platform/smc_param_block.h"

namespace platform::linux_backend {

SmcUserClient::SmcUserClient(RootFiles files) : sensors_(std::move(files)) {}

kern_return_t SmcUserClient::callStructMethod(std::uint32_t selector,
                                              std::span<const std::byte> input,
                                              std::span<std::byte> output,
                                              std::size_t* outputSize) {
    SMCParamBlock request;
    if (selector != kSMCBlockSelector || input.size() < sizeof request ||
        output.size() < sizeof request || outputSize == nullptr) {
        return kIOReturnBadArgument;
    }
    std::memcpy(&request, input.data(), sizeof request);
    if (request.command != SMCCommandKeyInfo && request.command != SMCCommandReadBytes) {
        return kIOReturnBadArgument;
    }
    const auto value = smc_keys::keyValue(request.key, sensors_);
    if (!value) {
        return kIOReturnNotFound;
    }

    SMCParamBlock reply;
    if (request.command == SMCCommandKeyInfo) {
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
