#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The texts of the device panel's rows, made from the values the panel gathered. Absent record
// values show as kUnknownText; clock and memory that are absent count as 0, as their numbers do.
namespace device_panel {

inline constexpr const char* kUnknownText = "未知";

std::string processorRowText(const std::optional<std::string>& processorName);
// `speedHertz` is the clock as decimal text, `cores` the physical core count.
std::string clockRowText(const std::optional<std::string>& speedHertz,
                         const std::optional<std::uint64_t>& cores);
// `memoryBytes` is the memory size as decimal text.
std::string memoryRowText(const std::optional<std::string>& memoryBytes);
std::string osVersionRowText(const std::optional<std::string>& osVersion);
std::string modelRowText(const std::optional<std::string>& modelID);
std::string displayRowText(const std::string& screenText);
// `celsius` as get_maintemp gives it, where 0 is its failure value: no processor reads that cold
// while it runs, so 0 and below say that no sensor answered, in words.
std::string temperatureRowText(float celsius);

// The display text for a screen of `width` x `height` at `scale` device pixels per point: its
// points on a standard screen, its own pixels on a high-density one (scale above 1).
std::string screenText(const std::optional<std::string>& modelID, float width, float height,
                       double scale);

// The fan text for `count` fans turning at `speeds` rpm (fan 0 first).
std::string fanText(int count, const std::vector<int>& speeds);

// The single-precision value of the decimal number that `text` begins with (after blanks),
// written with '.' whatever the locale; 0 when the text is absent, begins with no number or
// names one beyond single precision.
float floatValue(const std::optional<std::string>& text);

}  // namespace device_panel
