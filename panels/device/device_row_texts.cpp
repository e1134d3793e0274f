#include "panels/device/device_row_texts.h"

#include <charconv>
#include <string_view>

#include "platform/ascii.h"
#include "platform/format.h"

namespace device_panel {

using platform::arg;
using platform::stringWithFormat;

namespace {

// An absent value reads as a word, never as the "(null)" a log would print.
std::optional<std::string> orUnknown(const std::optional<std::string>& text) {
    return text.has_value() ? text : std::optional<std::string>(kUnknownText);
}

}  // namespace

float floatValue(const std::optional<std::string>& text) {
    if (!text) {
        return 0.0f;
    }
    // from_chars reads the "C" form whatever the locale, unlike strtof(3), which takes its decimal
    // point from LC_NUMERIC. It takes neither the blanks nor the '+' that strtof allows first.
    std::string_view number = *text;
    while (!number.empty() && platform::isAsciiSpace(number.front())) {
        number.remove_prefix(1);
    }
    if (number.starts_with('+') && !number.starts_with("+-")) {
        number.remove_prefix(1);
    }
    float value = 0.0f;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    return error == std::errc() ? value : 0.0f;
}

std::string processorRowText(const std::optional<std::string>& processorName) {
    return stringWithFormat("CPU型号：%@", {arg(orUnknown(processorName))});
}

std::string clockRowText(const std::optional<std::string>& speedHertz,
                         const std::optional<std::uint64_t>& cores) {
    // Three single-precision divisions, as the shown digit at clocks such as 2.45 GHz depends on
    // rounding after each step (2450000000 shows as 2.4, 2550000000 as 2.6).
    float gigahertz = floatValue(speedHertz);
    gigahertz = gigahertz / 1000.0f;
    gigahertz = gigahertz / 1000.0f;
    gigahertz = gigahertz / 1000.0f;
    const auto coreText =
        cores ? std::optional<std::string>(std::to_string(*cores)) : std::string(kUnknownText);
    return stringWithFormat("CPU频率：%.1fGHz * %@",
                            {arg(static_cast<double>(gigahertz)), arg(coreText)});
}

std::string memoryRowText(const std::optional<std::string>& memoryBytes) {
    float gibibytes = floatValue(memoryBytes);
    gibibytes = gibibytes * 0.0009765625f;
    gibibytes = gibibytes * 0.0009765625f;
    gibibytes = gibibytes * 0.0009765625f;
    return stringWithFormat("内存：%.1fG", {arg(static_cast<double>(gibibytes))});
}

std::string osVersionRowText(const std::optional<std::string>& osVersion) {
    return stringWithFormat("系统版本：%@", {arg(orUnknown(osVersion))});
}

std::string modelRowText(const std::optional<std::string>& modelID) {
    return stringWithFormat("型号：%@", {arg(orUnknown(modelID))});
}

std::string displayRowText(const std::string& screenText) {
    return stringWithFormat("分辨率：%@", {arg(screenText)});
}

std::string temperatureRowText(float celsius) {
    if (!(celsius > 0.0f)) {
        return "CPU温度：未检测到";
    }
    return stringWithFormat("CPU温度：%.0f摄氏度", {arg(static_cast<double>(celsius))});
}

std::string screenText(const std::optional<std::string>& modelID, float width, float height,
                       double scale) {
    const bool highDensity = scale > 1.0;
    if (highDensity) {
        // These two models' panels are known; any other high-density screen shows the pixels
        // it was given.
        if (modelID == "MacBookPro10,1") {
            width = 2880, height = 1800;
        } else if (modelID == "MacBookPro10,2") {
            width = 2560, height = 1600;
        }
    }
    return stringWithFormat(highDensity ? "%.0f*%.0f (高清屏)" : "%.0f*%.0f (非高清屏)",
                            {arg(static_cast<double>(width)), arg(static_cast<double>(height))});
}

std::string fanText(int count, const std::vector<int>& speeds) {
    const auto speed = [&speeds](std::size_t fan) { return fan < speeds.size() ? speeds[fan] : 0; };
    if (count == 1) {
        return stringWithFormat("风扇数：1 当前转速：%d", {arg(speed(0))});
    }
    if (count == 2) {
        return stringWithFormat("风扇数：2 当前转速：左 %d 右 %d", {arg(speed(0)), arg(speed(1))});
    }
    if (count <= 0) {
        return "风扇数：0（未检测到风扇）";
    }
    std::string text = stringWithFormat("风扇数：%d 当前转速：", {arg(count)});
    for (std::size_t fan = 0; fan < speeds.size(); ++fan) {
        text += stringWithFormat(fan == 0 ? "%d" : "、%d", {arg(speeds[fan])});
    }
    return text;
}

}  // namespace device_panel
