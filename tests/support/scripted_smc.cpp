#include "tests/support/scripted_smc.h"

#include <algorithm>
#include <cstring>
#include <span>

#include "platform/smc_param_block.h"

namespace testing_support {
namespace {

using platform::SMCParamBlock;

// The key code's characters; keys pack like type codes.
std::string keyText(std::uint32_t code) {
    return platform::SMCTypeText(code).data();
}

class ScriptedSMCClient final : public platform::UserClient {
  public:
    explicit ScriptedSMCClient(std::shared_ptr<ScriptedSMC> smc) : smc_(std::move(smc)) {}

    platform::kern_return_t callStructMethod(std::uint32_t selector,
                                             std::span<const std::byte> input,
                                             std::span<std::byte> output,
                                             std::size_t* outputSize) override {
        smc_->exchanges.push_back(
            {selector, {input.begin(), input.end()}, *outputSize, output.size()});
        SMCParamBlock request;
        if (selector != platform::kSMCBlockSelector || input.size() != sizeof request ||
            output.size() < sizeof request) {
            return platform::kIOReturnBadArgument;
        }
        std::memcpy(&request, input.data(), sizeof request);
        const auto found = smc_->keys.find(keyText(request.key));
        const ScriptedSMC::Key key = found == smc_->keys.end() ? ScriptedSMC::Key{} : found->second;
        SMCParamBlock reply;
        std::memcpy(&reply, output.data(), sizeof reply);
        if (request.command == platform::SMCCommandKeyInfo) {
            if (smc_->keyInfoStatus != platform::KERN_SUCCESS) {
                return smc_->keyInfoStatus;
            }
            reply.dataSize = key.size;
            reply.dataType = key.typeCode;
        } else if (request.command == platform::SMCCommandReadBytes) {
            if (smc_->readBytesStatus != platform::KERN_SUCCESS) {
                return smc_->readBytesStatus;
            }
            std::ranges::fill(reply.bytes, 0);
            std::ranges::copy(key.bytes, reply.bytes);
        } else {
            return platform::kIOReturnBadArgument;
        }
        std::memcpy(output.data(), &reply, sizeof reply);
        *outputSize = smc_->answeredOutputSize;
        return platform::KERN_SUCCESS;
    }

  private:
    std::shared_ptr<ScriptedSMC> smc_;
};

}  // namespace

std::string ScriptedSMC::Exchange::key() const {
    SMCParamBlock block;
    if (input.size() < sizeof block) {
        return std::string();
    }
    std::memcpy(&block, input.data(), sizeof block);
    return keyText(block.key);
}
void installScriptedSMC(ScriptedMachine& machine, std::shared_ptr<ScriptedSMC> smc) {
    machine.addRegistryEntry("AppleSMC", {});
    machine.setUserClientFactory([smc](platform::RegistryEntryId, std::uint32_t type,
                                       std::unique_ptr<platform::UserClient>* client) {
        smc->openedTypes.push_back(type);
        if (smc->openStatus != platform::KERN_SUCCESS) {
            return smc->openStatus;
        }
        *client = std::make_unique<ScriptedSMCClient>(smc);
        return platform::KERN_SUCCESS;
    });
}

}  // namespace testing_support
