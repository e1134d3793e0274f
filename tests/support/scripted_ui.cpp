#include "tests/support/scripted_ui.h"

#include "platform/appkit/desktop.h"
#include "platform/appkit/ns_alert.h"
#include "platform/appkit/ns_text_field.h"
#include "platform/appkit/web_engine.h"

namespace testing_support {
namespace {

class ScriptedWebEngine : public platform::WebEngine {
  public:
    explicit ScriptedWebEngine(std::vector<platform::NSURLRequest>& loads) : loads_(loads) {}
    void loadRequest(const platform::NSURLRequest& request) override { loads_.push_back(request); }

  private:
    std::vector<platform::NSURLRequest>& loads_;
};

class ScriptedDesktop : public platform::Desktop {
  public:
    explicit ScriptedDesktop(ScriptedUserInterface& ui) : ui_(ui) {}

    long runModal(const platform::NSAlert& alert) override {
        ui_.alerts.push_back(alert.messageText());
        ui_.alertDetails.push_back(alert.informativeText());
        return platform::NSAlertFirstButtonReturn;
    }
    std::shared_ptr<platform::NSScreen> mainScreen() override { return ui_.screen; }
    bool openURL(const platform::NSURL& url) override {
        if (!ui_.browserAvailable) {
            return false;
        }
        ui_.openedURLs.push_back(url.absoluteString());
        return true;
    }
    std::unique_ptr<platform::WebEngine> makeWebEngine(platform::WebView& /*view*/) override {
        ++ui_.webEnginesMade;
        return std::make_unique<ScriptedWebEngine>(ui_.loads);
    }

  private:
    ScriptedUserInterface& ui_;
};

}  // namespace

ScriptedUserInterface::ScriptedUserInterface() {
    platform::installDesktop(std::make_shared<ScriptedDesktop>(*this));
    previousLog_ =
        platform::installLogSink([this](const std::string& line) { logLines.push_back(line); });
}

ScriptedUserInterface::~ScriptedUserInterface() {
    platform::installDesktop(nullptr);
    platform::installLogSink(std::move(previousLog_));
}

std::string bodyText(const platform::NSURLRequest& request) {
    const auto& body = request.HTTPBody();
    return std::string(reinterpret_cast<const char*>(body.data()), body.size());
}

std::vector<std::string> labelTexts(const platform::NSView& view) {
    std::vector<std::string> texts;
    for (const auto& subview : view.subviews()) {
        if (const auto label = std::dynamic_pointer_cast<platform::NSTextField>(subview)) {
            texts.push_back(label->stringValue());
        }
    }
    return texts;
}

}  // namespace testing_support
