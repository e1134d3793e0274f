#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace platform::linux_backend {

// The rated clock in hertz that a processor name states in its "@ 2.30GHz" suffix (Intel's
// names carry one); "MHz" is understood too. std::nullopt when there is no such suffix.
std::optional<std::uint64_t> hertzFromNameSuffix(std::string_view processorName);

// Hertz from a decimal megahertz text such as cpuinfo's "cpu MHz" ("2096.016" is 2096016000),
// exact to the hertz. std::nullopt when the text is not a decimal number or is 0.
std::optional<std::uint64_t> hertzFromMegahertz(std::string_view text);

}  // namespace platform::linux_backend
