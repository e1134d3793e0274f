#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/linux/root_files.h"
#include "platform/linux/sensor_readings.h"
#include "platform/machine.h"

namespace platform::linux_backend {

// The user client of the stand-in "AppleSMC" service: it speaks the controller's key protocol
// (platform/smc_param_block.h) and answers from the machine's hwmon and thermal sensors
// (smc_keys.h). Selector 2 takes one 80-byte block and fills one: command 9 (key info) replies
// with the key's data size and type, command 5 (read bytes) with the value's bytes once the
// request carries the size that key info reported. Every other reply byte is zero.
// Failures leave the output untouched: kIOReturnBadArgument for another selector, a block
// shorter than 80 bytes, another command or another size; kIOReturnNotFound for a key the
// machine has no value for.
class SmcUserClient final : public UserClient {
  public:
    explicit SmcUserClient(RootFiles files);

    kern_return_t callStructMethod(std::uint32_t selector, std::span<const std::byte> input,
                                   std::span<std::byte> output, std::size_t* outputSize) override;

  private:
    SensorReadings sensors_;
};

}  // namespace platform::linux_backend
