#include "tests/support/scripted_smc.h"

#include <algorithm>
#include <cstring>
#include <span>

namespace testing_support {
namespace {

constexpr std::size_t kBlockSize = 80;
constexpr std::size_t kKeyOffset = 0;
constexpr std::size_t kDataSizeOffset = 28;
constexpr std::size_t kDataTypeOffset = 32;
constexpr std::size_t kCommandOffset = 42;
constexpr std::size_t kBytesOffset = 48;
constexpr std::uint8_t kKeyInfo = 9;
constexpr std::uint8_t kReadBytes = 5;

std::uint32_t wordAt(std::span<const std::byte> block, std::size_t offset) {
    std::uint32_t word = 0;
    std::memcpy(&word, block.data() + offset, sizeof word);
    return word;
}

void putWord(std::span<std::byte> block, std::size_t offset, std::uint32_t word) {
    std::memcpy(block.data() + offset, &word, sizeof word);
}

std::string keyText(std::uint32_t code) {
    std::string text(4, '\0');
    for (std::size_t i = 0; i < 4; ++i) {
        text[i] = static_cast<char>((code >> (24 - 8 * i)) & 0xFF);
    }
    return text;
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
        if (selector != 2 || input.size() != kBlockSize || output.size() < kBlockSize) {
            return platform::kIOReturnBadArgument;
        }
        const auto found = smc_->keys.find(keyText(wordAt(input, kKeyOffset)));
        const ScriptedSMC::Key key = found == smc_->keys.end() ? ScriptedSMC::Key{} : found->second;
        const auto command = static_cast<std::uint8_t>(input[kCommandOffset]);
        if (command == kKeyInfo) {
            if (smc_->keyInfoStatus != platform::KERN_SUCCESS) {
                return smc_->keyInfoStatus;
            }
            putWord(output, kDataSizeOffset, key.size);
            putWord(output, kDataTypeOffset, key.typeCode);
        } else if (command == kReadBytes) {
            if (smc_->readBytesStatus != platform::KERN_SUCCESS) {
                return smc_->readBytesStatus;
            }
            std::vector<std::uint8_t> bytes = key.bytes;
            bytes.resize(kBlockSize - kBytesOffset);
            std::memcpy(output.data() + kBytesOffset, bytes.data(), bytes.size());
        } else {
            return platform::kIOReturnBadArgument;
        }
        *outputSize = smc_->answeredOutputSize;
        return platform::KERN_SUCCESS;
    }

  private:
    std::shared_ptr<ScriptedSMC> smc_;
};

}  // namespace

std::string ScriptedSMC::Exchange::key() const {
    return input.size() < kBlockSize ? std::string() : keyText(wordAt(input, kKeyOffset));
}

void installScriptedSMC(ScriptedMachine& machine, std::shared_ptr<ScriptedSMC> smc) {
    if (smc->hasService) {
        machine.addRegistryEntry("AppleSMC", {});
    }
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
