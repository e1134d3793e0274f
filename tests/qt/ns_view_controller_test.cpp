// The interface loader that makes a panel's views, web views among them, and its outlets.
#include "platform/appkit/ns_view_controller.h"

#include <gtest/gtest.h>

#include <QWidget>
#include <map>

#include "platform/appkit/ns_progress_indicator.h"
#include "platform/appkit/web_view.h"
#include "platform/qt/native_bridge.h"
#include "tests/qt/web_test_doubles.h"
#include "tests/support/scripted_ui.h"

namespace {

using platform::NSMakeRect;
using platform::NSView;
using platform::WebView;

// Takes the outlets of OutletPanel.ui and notes how many it had when it awoke.
class OutletPanelController : public platform::NSViewController, public RecordingFrameLoadDelegate {
  public:
    explicit OutletPanelController(std::string nibName)
        : NSViewController(std::move(nibName), nullptr) {}

    bool setValueForKey(std::string_view key, std::shared_ptr<platform::NSObject> value) override {
        for (const char* outlet : {"box", "page", "spinner", "field", "customPage"}) {
            if (key == outlet) {
                outlets[outlet] = std::dynamic_pointer_cast<NSView>(value);
                return true;
            }
        }
        return NSViewController::setValueForKey(key, std::move(value));
    }

    std::map<std::string, std::shared_ptr<NSView>> outlets;
    std::size_t outletsAtAwake = 0;
    int awakenings = 0;

  protected:
    void awakeFromNib() override {
        ++awakenings;
        outletsAtAwake = outlets.size();
    }
};

TEST(NSViewControllerTest, ConnectsOutletsBeforeAwakeAndWrapsWidgetsByTheirNsClass) {
    testing_support::ScriptedUserInterface ui;
    auto controller = std::make_shared<OutletPanelController>("OutletPanel");
    const auto view = controller->view();
    EXPECT_EQ(controller->outletsAtAwake, 5u);
    EXPECT_EQ(controller->outlets.at("box")->frame(), NSMakeRect(10, 140, 50, 40));
    EXPECT_EQ(controller->outlets.at("box")->superview(), view);

    const auto page = std::dynamic_pointer_cast<WebView>(controller->outlets.at("page"));
    const auto custom = std::dynamic_pointer_cast<WebView>(controller->outlets.at("customPage"));
    ASSERT_NE(page, nullptr);
    ASSERT_NE(custom, nullptr);
    EXPECT_EQ(ui.webEnginesMade, 2u);
    const auto spinner =
        std::dynamic_pointer_cast<platform::NSProgressIndicator>(controller->outlets.at("spinner"));
    ASSERT_NE(spinner, nullptr);
    EXPECT_TRUE(platform::widgetOf(*spinner)->isHidden());

    // The owner is the frame load delegate only of the view whose description asks for it.
    EXPECT_EQ(page->frameLoadDelegate().get(),
              static_cast<platform::WebFrameLoadDelegate*>(controller.get()));
    EXPECT_EQ(custom->frameLoadDelegate(), nullptr);
}

TEST(NSViewControllerTest, ADescriptionThatCannotBeLoadedGivesAnEmptyPanel) {
    auto missing = std::make_shared<OutletPanelController>("NoSuchPanel");
    const auto view = missing->view();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->frame(), NSMakeRect(0, 0, 640, 440));
    EXPECT_TRUE(view->subviews().empty());
    EXPECT_EQ(missing->awakenings, 1);
    EXPECT_EQ(missing->view(), view);
}

}  // namespace
