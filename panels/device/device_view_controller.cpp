#include "panels/device/device_view_controller.h"

#include <algorithm>
#include <array>
#include <functional>

#include "panels/device/device_row_texts.h"
#include "platform/appkit/ns_font.h"
#include "platform/appkit/ns_image.h"
#include "platform/appkit/ns_menu.h"
#include "platform/appkit/ns_pasteboard.h"
#include "platform/appkit/ns_screen.h"
#include "platform/appkit/ns_text_field.h"
#include "platform/machine.h"
#include "sysinfo/var_system_info.h"

using namespace platform;
using namespace device_panel;

namespace {

constexpr std::array<const char*, 8> kRowIcons = {
    "cpu.png", "hz.png", "memory.png", "os.png", "model.png", "display.png", "heat.png", "fan.png",
};
constexpr double kRowPitch = 40;
constexpr double kBoxSide = 30;
constexpr double kIconX = 30;
constexpr double kLabelX = 80;
constexpr double kLabelFontSize = 14.0;

// Rows run down from the top: row r (1 to 8) sits 40 + 40·r points below the top edge.
double rowOffset(int row) {
    return kRowPitch + kRowPitch * row;
}

}  // namespace

std::shared_ptr<DeviceViewController> DeviceViewController::initWithNibName(
    const std::string& nibName, const NSBundle* bundle) {
    return std::make_shared<DeviceViewController>(nibName, bundle);
}

DeviceViewController::DeviceViewController(const std::string& nibName, const NSBundle* bundle)
    : NSViewController(nibName, bundle) {}

void DeviceViewController::awakeFromNib() {
    // The eight rows describe one moment: its records and sensor readings share one reading of
    // the machine, and the next panel reads it anew.
    const MachineSnapshot moment;
    const sysinfo::VarSystemInfo info;
    // Each row's text is made when its row is built, so the sensors are read only after the
    // display row is in place, the temperature before the fans.
    rowTexts_.clear();
    const std::array<std::function<std::string()>, 8> rowTexts = {
        [&] { return processorRowText(info.sysProcessorName()); },
        [&] { return clockRowText(info.sysProcessorSpeed(), info.sysProcessorCount()); },
        [&] { return memoryRowText(info.sysPhysicalMemory()); },
        [&] { return osVersionRowText(info.sysOSVersion()); },
        [&] { return modelRowText(info.sysModelID()); },
        [&] { return displayRowText(getScreen()); },
        [&] { return temperatureRowText(get_maintemp()); },
        [&] { return getFanInfo(); },
    };

    for (int row = 1; row <= 8; ++row) {
        const double offset = rowOffset(row);

        auto icon = NSImageView::initWithFrame(
            NSMakeRect(kIconX, view()->frame().height - offset, kBoxSide, kBoxSide));
        icon->setImage(NSImage::imageNamed(kRowIcons[row - 1]));
        view()->addSubview(icon);

        // Row 1's label ends at the panel's right edge; the others are a full panel width wide.
        const double width = view()->frame().width - (row == 1 ? kLabelX : 0);
        auto label = NSTextField::initWithFrame(
            NSMakeRect(kLabelX, view()->frame().height - offset, width, kBoxSide));
        rowTexts_.push_back(rowTexts[row - 1]());
        label->setStringValue(rowTexts_.back());
        label->setFont(NSFont::fontWithName("Lucida Grande", kLabelFontSize));
        label->setBezeled(false);
        label->setDrawsBackground(false);
        label->setEditable(false);
        label->setSelectable(false);
        view()->addSubview(label);
    }

    // The labels take no selection, so the panel as a whole offers its text for copying. Its key,
    // Ctrl+C, belongs to the window's 编辑 menu, which sends the same action here.
    auto copyItem = std::make_shared<NSMenuItem>("复制", "copy:", "");
    copyItem->setTarget(shared_from_this());
    auto menu = std::make_shared<NSMenu>();
    menu->addItem(std::move(copyItem));
    view()->setMenu(std::move(menu));
}

std::string DeviceViewController::summaryText() const {
    std::string text;
    for (const std::string& row : rowTexts_) {
        text += row + "\n";
    }
    return text;
}

void DeviceViewController::copy(const std::shared_ptr<NSObject>& /*sender*/) {
    NSPasteboard::generalPasteboard().setString(summaryText());
}

bool DeviceViewController::performAction(std::string_view selector,
                                         const std::shared_ptr<NSObject>& sender) {
    if (selector == "copy:") {
        copy(sender);
        return true;
    }
    return NSViewController::performAction(selector, sender);
}

std::string DeviceViewController::getScreen() {
    const sysinfo::VarSystemInfo info;
    const auto screen = NSScreen::mainScreen();
    const NSRect frame = screen ? screen->frame() : NSRect{};
    const auto width = static_cast<float>(frame.width);
    const auto height = static_cast<float>(frame.height);
    const auto sameScreen = NSScreen::mainScreen();
    const double scale = sameScreen ? sameScreen->backingScaleFactor() : 0.0;
    if (scale > 1.0) {
        // A high-density screen is known by its own pixels: its points are a fraction of them.
        const NSRect pixels = sameScreen->convertRectToBacking(sameScreen->frame());
        return screenText(info.sysModelID(), static_cast<float>(pixels.width),
                          static_cast<float>(pixels.height), scale);
    }
    return screenText(info.sysModelID(), width, height, scale);
}

std::string DeviceViewController::getFanInfo() {
    const int count = get_fan_num();
    std::vector<int> speeds = {get_fan_rpm(0)};
    // Every fan the count names is asked for, as far as fans have speed keys.
    const int asked = std::clamp(count, 1, kLastFan + 1);
    for (int fan = 1; fan < asked; ++fan) {
        speeds.push_back(get_fan_rpm(fan));
    }
    return fanText(count, speeds);
}
