#pragma once

#include <memory>

#include "panels/about/about_view_controller.h"
#include "panels/device/device_view_controller.h"
#include "panels/lookup/serial_number_view_controller.h"
#include "platform/appkit/ns_application.h"
#include "platform/appkit/ns_toolbar_item.h"
#include "platform/appkit/ns_window.h"
#include "smc/smc_sensor_queries.h"

// The application's delegate: writes the machine's description to the log at launch, shows
// the device panel, switches the main window between the three panels on the user's commands,
// opens the help page and brings the main window back on reopen.
//
// It is made by the main interface description, which connects `window` and `searchBox` and
// sends it the actions by name. It holds the controller of each panel kind it made last and the
// panel view now shown; the window and the search box belong to the application.
class AppDelegate : public platform::NSApplicationDelegate, public smc::SMCSensorQueries {
  public:
    std::shared_ptr<platform::NSToolbarItem> searchBox() const { return searchBox_.lock(); }
    void setSearchBox(const std::shared_ptr<platform::NSToolbarItem>& box) { searchBox_ = box; }
    std::shared_ptr<platform::NSWindow> window() const { return window_.lock(); }
    void setWindow(const std::shared_ptr<platform::NSWindow>& window) { window_ = window; }

    std::shared_ptr<DeviceViewController> deviceViewController() const {
        return deviceViewController_;
    }
    void setDeviceViewController(std::shared_ptr<DeviceViewController> controller) {
        deviceViewController_ = std::move(controller);
    }
    std::shared_ptr<SerialNumberViewController> serialNumberViewController() const {
        return serialNumberViewController_;
    }
    void setSerialNumberViewController(std::shared_ptr<SerialNumberViewController> controller) {
        serialNumberViewController_ = std::move(controller);
    }
    std::shared_ptr<AboutViewController> aboutViewController() const {
        return aboutViewController_;
    }
    void setAboutViewController(std::shared_ptr<AboutViewController> controller) {
        aboutViewController_ = std::move(controller);
    }

    // The panel view now shown in the main window.
    std::shared_ptr<platform::NSView> currentPanelView() const { return currectView; }

    // Writes the eleven launch lines, then puts a new device panel into the main window.
    void applicationDidFinishLaunching() override;
    // Brings the main window back when none is visible; always handles the reopen.
    bool applicationShouldHandleReopenHasVisibleWindows(platform::NSApplication& application,
                                                        bool hasVisibleWindows) override;

    // The commands. Each takes its sender, which it does not look at.
    void reOpenTheMainWindow(const std::shared_ptr<platform::NSObject>& sender);
    void showDeviceInfo(const std::shared_ptr<platform::NSObject>& sender);
    void showQuelmarn(const std::shared_ptr<platform::NSObject>& sender);
    void SearchBySerialNumber(const std::shared_ptr<platform::NSObject>& sender);
    void searchByPrintSerialNumber(const std::shared_ptr<platform::NSObject>& sender);
    void showHelpPage(const std::shared_ptr<platform::NSObject>& sender);

    bool setValueForKey(std::string_view key, std::shared_ptr<platform::NSObject> value) override;
    // Runs the command `selector` names; what is not one of the delegate's own goes to the
    // controller of the panel shown, so that the window's 编辑 → 复制 copies that panel.
    bool performAction(std::string_view selector,
                       const std::shared_ptr<platform::NSObject>& sender) override;

  private:
    // The controller whose view is the panel shown now; null before the launch.
    std::shared_ptr<platform::NSViewController> shownPanelController() const;

    // Shows `controller`'s view in place of the panel shown now.
    void replaceCurrentPanelWith(platform::NSViewController& controller);

    std::weak_ptr<platform::NSToolbarItem> searchBox_;
    std::shared_ptr<platform::NSView> currectView;
    std::weak_ptr<platform::NSWindow> window_;
    std::shared_ptr<DeviceViewController> deviceViewController_;
    std::shared_ptr<SerialNumberViewController> serialNumberViewController_;
    std::shared_ptr<AboutViewController> aboutViewController_;
};
