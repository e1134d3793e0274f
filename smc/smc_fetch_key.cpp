#include <cstring>
#include <string_view>

#include "platform/smc_param_block.h"
#include "smc/smc_driver.h"

namespace smc {

using namespace platform;

namespace {

// One exchange with the user client. The room offered is the whole block every time, whatever
// an earlier exchange reported back in the size.
kern_return_t exchange(const io_connect_t& conn, const SMCParamBlock& input,
                       SMCParamBlock* output) {
    std::size_t outputSize = sizeof *output;
    return IOConnectCallStructMethod(conn, kSMCBlockSelector, &input, sizeof input, output,
                                     &outputSize);
}

}  // namespace

kern_return_t SMCFetchKey(const char* key, SMCKeyValue* val, const io_connect_t& conn) {
    SMCParamBlock input;
    SMCParamBlock output;
    *val = SMCKeyValue{};

    const std::string_view keyText(key, strnlen(key, sizeof val->key - 1));
    input.key = SMCKeyCode(keyText);
    std::memcpy(val->key, keyText.data(), keyText.size());

    input.command = SMCCommandKeyInfo;
    kern_return_t result = exchange(conn, input, &output);
    if (result != KERN_SUCCESS) {
        return result;
    }
    val->dataSize = output.dataSize;
    const auto type = SMCTypeText(output.dataType);
    std::memcpy(val->dataType, type.data(), type.size());

    // The output block is not cleared in between: the reply overwrites what it carries.
    input.dataSize = val->dataSize;
    input.command = SMCCommandReadBytes;
    result = exchange(conn, input, &output);
    if (result != KERN_SUCCESS) {
        return result;
    }
    std::memcpy(val->bytes.data(), output.bytes, val->bytes.size());
    return KERN_SUCCESS;
}

}  // namespace smc
