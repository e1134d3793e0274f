#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/kern_return.h"
#include "tests/support/scripted_machine.h"

namespace testing_support {

// A sensor controller driver whose keys and failures the test sets, and which records every
// block it is sent. A reply changes only the fields its command answers, as the driver's does.
struct ScriptedSMC {
    struct Key {
        std::uint32_t size = 0;
        std::uint32_t typeCode = 0;
        std::vector<std::uint8_t> bytes;  // at most 32; the rest of the reply is zero
    };
    struct Exchange {
        std::uint32_t selector = 0;
        std::vector<std::byte> input;       // every byte sent
        std::size_t offeredOutputSize = 0;  // *outputSize on entry
        std::size_t outputCapacity = 0;     // the bytes of output the client could write

        // The four characters of the key code the block carries.
        std::string key() const;
    };

    // Keys by their four characters. A key not here answers size 0, type 0 and zero bytes.
    std::map<std::string, Key> keys;

    // Failures the driver can give.
    platform::kern_return_t openStatus = platform::KERN_SUCCESS;
    platform::kern_return_t keyInfoStatus = platform::KERN_SUCCESS;
    platform::kern_return_t readBytesStatus = platform::KERN_SUCCESS;
    // What the client reports having written into *outputSize after every exchange.
    std::size_t answeredOutputSize = 80;

    // What the driver was asked: the connection types opened, then each exchange in order.
    std::vector<std::uint32_t> openedTypes;
    std::vector<Exchange> exchanges;
};

// Puts `smc` into `machine`: an "AppleSMC" registry entry and a user-client factory that opens
// clients answering from `smc`.
void installScriptedSMC(ScriptedMachine& machine, std::shared_ptr<ScriptedSMC> smc);

}  // namespace testing_support
