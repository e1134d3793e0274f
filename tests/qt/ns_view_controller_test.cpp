#include "platform/appkit/ns_view_controller.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QWidget>
#include <map>

#include "platform/appkit/ns_progress_indicator.h"
#include "platform/appkit/ns_text_field.h"
#include "platform/appkit/web_view.h"
#include "platform/log.h"
#include "platform/qt/native_view.h"
#include "tests/qt/recording_frame_load_delegate.h"
#include "tests/qt/scripted_web_engine.h"

namespace {

using platform::NSMakeRect;
using platform::NSObject;
using platform::NSView;

// Takes the outlets of OutletPanel.ui and notes what it had when it awoke.
class OutletPanelController : public platform::NSViewController, public RecordingFrameLoadDelegate {
  public:
    explicit OutletPanelController(std::string nibName = "OutletPanel")
        : NSViewController(std::move(nibName), nullptr) {}

    bool setValueForKey(std::string_view key, std::shared_ptr<NSObject> value) override {
        static const char* const kOutlets[] = {"box", "page", "spinner", "field", "customPage"};
        for (const char* outlet : kOutlets) {
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
    std::shared_ptr<NSView> viewAtAwake;

  protected:
    void awakeFromNib() override {
        ++awakenings;
        outletsAtAwake = outlets.size();
        viewAtAwake = view();
    }
};

// Collects the log lines written while it lives.
class LogCapture {
  public:
    LogCapture() {
        previous_ =
            platform::installLogSink([this](const std::string& line) { lines.push_back(line); });
    }
    ~LogCapture() { platform::installLogSink(std::move(previous_)); }
    std::vector<std::string> lines;

  private:
    platform::LogSink previous_;
};

class NSViewControllerTest : public testing::Test {
  protected:
    ScriptedWebEngineFactory engines;
    LogCapture log;
    std::shared_ptr<OutletPanelController> controller = std::make_shared<OutletPanelController>();
};

TEST_F(NSViewControllerTest, TheViewLoadsOnTheFirstRequestOnly) {
    EXPECT_FALSE(controller->isViewLoaded());
    const auto view = controller->view();

    EXPECT_TRUE(controller->isViewLoaded());
    EXPECT_EQ(controller->view(), view);
    EXPECT_EQ(controller->awakenings, 1);
    EXPECT_EQ(controller->viewAtAwake, view);
    EXPECT_EQ(view->frame(), NSMakeRect(0, 0, 300, 200));
    EXPECT_EQ(controller->nibName(), "OutletPanel");
}

TEST_F(NSViewControllerTest, OutletsAreConnectedBeforeAwakeFromNib) {
    controller->view();
    EXPECT_EQ(controller->outletsAtAwake, 5u);
    EXPECT_EQ(controller->outlets.size(), 5u);
}

TEST_F(NSViewControllerTest, AnOutletIsTheViewOfItsWidgetInBottomUpCoordinates) {
    const auto view = controller->view();
    const auto box = controller->outlets.at("box");

    EXPECT_EQ(box->frame(), NSMakeRect(10, 140, 50, 40));
    EXPECT_EQ(platform::widgetOf(*box)->objectName(), "box");
    EXPECT_EQ(box->superview(), view);
}

TEST_F(NSViewControllerTest, NsClassChoosesTheViewClass) {
    controller->view();
    EXPECT_NE(std::dynamic_pointer_cast<platform::WebView>(controller->outlets.at("page")),
              nullptr);
    EXPECT_NE(std::dynamic_pointer_cast<platform::WebView>(controller->outlets.at("customPage")),
              nullptr);
    const auto spinner =
        std::dynamic_pointer_cast<platform::NSProgressIndicator>(controller->outlets.at("spinner"));
    ASSERT_NE(spinner, nullptr);
    EXPECT_FALSE(spinner->isAnimating());
    EXPECT_TRUE(platform::widgetOf(*spinner)->isHidden());
    EXPECT_EQ(engines.engines.size(), 2u);
}

TEST_F(NSViewControllerTest, ALineEditIsATextField) {
    controller->view();
    const auto field =
        std::dynamic_pointer_cast<platform::NSTextField>(controller->outlets.at("field"));
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->stringValue(), "一二三");
    EXPECT_TRUE(field->isEditable());
}

TEST_F(NSViewControllerTest, SubviewsKeepTheOrderOfTheDescription) {
    const auto view = controller->view();
    const auto& subviews = view->subviews();
    std::vector<QString> names;
    for (const auto& subview : subviews) {
        names.push_back(platform::widgetOf(*subview)->objectName());
    }
    // The label names nothing and is left out; the container is wrapped for the field it holds.
    EXPECT_EQ(names,
              (std::vector<QString>{"box", "page", "spinner", "container", "customPage", "stray"}));
    EXPECT_EQ(controller->outlets.at("field")->superview(), subviews[3]);
}

TEST_F(NSViewControllerTest, TheOwnerBecomesTheFrameLoadDelegateWhenAsked) {
    controller->view();
    const auto page = std::dynamic_pointer_cast<platform::WebView>(controller->outlets.at("page"));
    const auto custom =
        std::dynamic_pointer_cast<platform::WebView>(controller->outlets.at("customPage"));

    EXPECT_EQ(page->frameLoadDelegate().get(),
              static_cast<platform::WebFrameLoadDelegate*>(controller.get()));
    EXPECT_EQ(custom->frameLoadDelegate(), nullptr);
}

TEST_F(NSViewControllerTest, TheFrameLoadDelegateIsHeldWeakly) {
    const auto page = [&] {
        controller->view();
        return std::dynamic_pointer_cast<platform::WebView>(controller->outlets.at("page"));
    }();
    std::weak_ptr<OutletPanelController> watched = controller;
    controller.reset();
    EXPECT_TRUE(watched.expired());
    EXPECT_EQ(page->frameLoadDelegate(), nullptr);
}

TEST_F(NSViewControllerTest, AnOutletTheOwnerLacksIsLogged) {
    controller->view();
    EXPECT_NE(
        std::find(log.lines.begin(), log.lines.end(), "OutletPanel has no outlet noSuchOutlet"),
        log.lines.end());
}

// Designer's plugins include the web engine's, which would load the engine with the first panel.
TEST_F(NSViewControllerTest, LoadingAPanelLoadsNoDesignerPlugin) {
    const QStringList pluginDirectories = QCoreApplication::libraryPaths();
    controller->view();

    QFile maps(QStringLiteral("/proc/self/maps"));
    ASSERT_TRUE(maps.open(QIODevice::ReadOnly));
    const QByteArray mapped = maps.readAll();
    EXPECT_FALSE(mapped.contains("/designer/"));
    EXPECT_FALSE(mapped.contains("libQt6WebEngine"));
    EXPECT_EQ(QCoreApplication::libraryPaths(), pluginDirectories);
}

TEST_F(NSViewControllerTest, ADescriptionThatCannotBeLoadedGivesAnEmptyPanel) {
    auto missing = std::make_shared<OutletPanelController>("NoSuchPanel");
    const auto view = missing->view();

    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->frame(), NSMakeRect(0, 0, 640, 440));
    EXPECT_TRUE(view->subviews().empty());
    EXPECT_EQ(missing->awakenings, 1);
    EXPECT_EQ(missing->view(), view);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0].rfind("Could not load the interface description NoSuchPanel: ", 0), 0u);
}

}  // namespace
