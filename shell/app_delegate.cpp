#include "shell/app_delegate.h"

#include <array>
#include <utility>

#include "panels/lookup/service_host.h"
#include "platform/appkit/ns_alert.h"
#include "platform/appkit/ns_control.h"
#include "platform/appkit/ns_url.h"
#include "platform/appkit/ns_workspace.h"
#include "platform/format.h"
#include "platform/log.h"
#include "platform/machine.h"
#include "sysinfo/var_system_info.h"

using namespace platform;

void AppDelegate::applicationDidFinishLaunching() {
    // The log and the first panel describe one moment: the machine is read once for both.
    const MachineSnapshot launch;
    {
        const sysinfo::VarSystemInfo info;
        NSLog("CPU: %@", {arg(info.sysProcessorName())});
        NSLog("CPU 速度: %@", {arg(info.sysProcessorSpeed())});
        NSLog("CPU 数量: %@", {arg(info.sysProcessorCount())});
        NSLog("内存: %@", {arg(info.sysPhysicalMemory())});
        NSLog("系统: %@", {arg(info.sysOSName())});
        NSLog("系统版本: %@", {arg(info.sysOSVersion())});
        NSLog("UUID %@", {arg(info.sysUUID())});
        NSLog("机器型号 %@", {arg(info.sysModelID())});
        NSLog("CPU温度:%f", {arg(static_cast<double>(get_maintemp()))});
        NSLog("the fan num is %d", {arg(get_fan_num())});
        NSLog("the fan speed is %d", {arg(get_fan_rpm(0))});
    }

    setDeviceViewController(DeviceViewController::initWithNibName("DeviceViewController", nullptr));
    currectView = deviceViewController_->view();
    if (const auto mainWindow = window()) {
        mainWindow->contentView()->addSubview(currectView);
    }
}

bool AppDelegate::applicationShouldHandleReopenHasVisibleWindows(NSApplication& /*application*/,
                                                                 bool hasVisibleWindows) {
    if (!hasVisibleWindows) {
        reOpenTheMainWindow(shared_from_this());
    }
    return true;
}

void AppDelegate::reOpenTheMainWindow(const std::shared_ptr<NSObject>& /*sender*/) {
    if (const auto mainWindow = window()) {
        mainWindow->makeKeyAndOrderFront(shared_from_this());
    }
}

void AppDelegate::replaceCurrentPanelWith(NSViewController& controller) {
    // Asking for the view loads the panel and builds it (a lookup panel starts its lookup).
    auto panelView = controller.view();
    if (const auto mainWindow = window()) {
        mainWindow->contentView()->replaceSubviewWith(currectView, panelView);
    }
    currectView = std::move(panelView);
}

void AppDelegate::showDeviceInfo(const std::shared_ptr<NSObject>& /*sender*/) {
    setDeviceViewController(nullptr);
    setDeviceViewController(DeviceViewController::initWithNibName("DeviceViewController", nullptr));
    replaceCurrentPanelWith(*deviceViewController_);
}

void AppDelegate::showQuelmarn(const std::shared_ptr<NSObject>& /*sender*/) {
    setAboutViewController(nullptr);
    setAboutViewController(AboutViewController::initWithNibName("AboutViewController", nullptr));
    replaceCurrentPanelWith(*aboutViewController_);
}

void AppDelegate::SearchBySerialNumber(const std::shared_ptr<NSObject>& /*sender*/) {
    setSerialNumberViewController(nullptr);
    setSerialNumberViewController(
        SerialNumberViewController::initWithNibName("SerialNumberViewController", nullptr));
    replaceCurrentPanelWith(*serialNumberViewController_);
}

void AppDelegate::searchByPrintSerialNumber(const std::shared_ptr<NSObject>& /*sender*/) {
    // A search box that is gone gives no text at all, and the panel then looks up this
    // machine's own serial number; an empty box gives the empty text, which looks up nothing.
    std::optional<std::string> typed;
    if (const auto box = searchBox()) {
        if (const auto field = std::dynamic_pointer_cast<NSControl>(box->view())) {
            typed = field->stringValue();
        }
    }
    setSerialNumberViewController(nullptr);
    setSerialNumberViewController(
        SerialNumberViewController::initWithNibName("SerialNumberViewController", nullptr));
    // Before the view is asked for: the panel decides in awakeFromNib whether it was given one.
    serialNumberViewController_->setSerialNumber(typed);
    replaceCurrentPanelWith(*serialNumberViewController_);
}

void AppDelegate::showHelpPage(const std::shared_ptr<NSObject>& /*sender*/) {
    const auto url = NSURL::URLWithString(
        stringWithFormat("%s/kb/HT1349?viewlocale=zh_CN", {arg(kServiceAddress)}));
    if (url && !NSWorkspace::sharedWorkspace().openURL(*url)) {
        // With no browser to hand the page to, the address is all the user can be given.
        NSAlert alert;
        alert.setMessageText("没有找到可以打开帮助页面的浏览器");
        alert.setInformativeText(stringWithFormat(
            "请复制下面的地址，在其他设备或安装浏览器后打开：\n%@", {arg(url->absoluteString())}));
        alert.runModal();
    }
}

bool AppDelegate::setValueForKey(std::string_view key, std::shared_ptr<NSObject> value) {
    if (key == "window") {
        setWindow(std::dynamic_pointer_cast<NSWindow>(value));
        return true;
    }
    if (key == "searchBox") {
        setSearchBox(std::dynamic_pointer_cast<NSToolbarItem>(value));
        return true;
    }
    return NSObject::setValueForKey(key, std::move(value));
}

std::shared_ptr<NSViewController> AppDelegate::shownPanelController() const {
    const std::array<std::shared_ptr<NSViewController>, 3> controllers = {
        deviceViewController_, serialNumberViewController_, aboutViewController_};
    for (const auto& controller : controllers) {
        if (controller && currectView && controller->isViewLoaded() &&
            controller->view() == currectView) {
            return controller;
        }
    }
    return nullptr;
}

bool AppDelegate::performAction(std::string_view selector,
                                const std::shared_ptr<NSObject>& sender) {
    using Action = void (AppDelegate::*)(const std::shared_ptr<NSObject>&);
    static constexpr std::array<std::pair<std::string_view, Action>, 6> kActions = {{
        {"reOpenTheMainWindow:", &AppDelegate::reOpenTheMainWindow},
        {"showDeviceInfo:", &AppDelegate::showDeviceInfo},
        {"showQuelmarn:", &AppDelegate::showQuelmarn},
        {"SearchBySerialNumber:", &AppDelegate::SearchBySerialNumber},
        {"searchByPrintSerialNumber:", &AppDelegate::searchByPrintSerialNumber},
        {"showHelpPage:", &AppDelegate::showHelpPage},
    }};
    for (const auto& [name, action] : kActions) {
        if (name == selector) {
            (this->*action)(sender);
            return true;
        }
    }
    // The other commands of the window's menu (copy:) are the shown panel's.
    if (const auto panel = shownPanelController()) {
        if (panel->performAction(selector, sender)) {
            return true;
        }
    }
    return NSObject::performAction(selector, sender);
}
