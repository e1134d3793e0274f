#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/appkit/ns_view_controller.h"
#include "smc/smc_sensor_queries.h"

// The device information panel: eight rows, each an icon and one line of text, that sum up the
// machine as it is when the panel is built. The panel is built once and never refreshed; showing
// it again makes a new controller.
class DeviceViewController : public platform::NSViewController, public smc::SMCSensorQueries {
  public:
    // A controller for the interface description `nibName` ("DeviceViewController").
    static std::shared_ptr<DeviceViewController> initWithNibName(const std::string& nibName,
                                                                 const platform::NSBundle* bundle);
    DeviceViewController(const std::string& nibName, const platform::NSBundle* bundle);

    // The display text: "<width>*<height> (高清屏)" for a high-density screen, where two models
    // give their panels' pixel sizes, else "<width>*<height> (非高清屏)", in points.
    std::string getScreen();
    // The fan text: the fan count and each fan's current speed in rpm.
    std::string getFanInfo();

    // The eight rows as they read, each followed by a line break, for pasting into a support
    // request: made from the texts the rows were given, not read back from the labels. Empty
    // before the panel is built.
    std::string summaryText() const;
    // Puts summaryText() on the clipboard as plain text. The panel's context menu 复制 and the
    // window's 编辑 → 复制 (Ctrl+C) send it.
    void copy(const std::shared_ptr<platform::NSObject>& sender);

    bool performAction(std::string_view selector,
                       const std::shared_ptr<platform::NSObject>& sender) override;

  protected:
    // Builds the eight rows, top to bottom, into the loaded view.
    void awakeFromNib() override;

  private:
    // The eight row texts, top to bottom, as the build made them.
    std::vector<std::string> rowTexts_;
};
