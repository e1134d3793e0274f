#include "tests/support/scripted_ui.h"

namespace testing_support {

ScriptedUserInterface::ScriptedUserInterface() {
    previousEngines_ = platform::installWebEngineFactory(
        [this](platform::WebView&) { return std::make_unique<ScriptedWebEngine>(loads); });
    previousAlerts_ = platform::installAlertPresenter([this](const platform::NSAlert& alert) {
        alerts.push_back(alert.messageText());
        return platform::NSAlertFirstButtonReturn;
    });
    previousOpener_ = platform::installURLOpener([this](const platform::NSURL& url) {
        openedURLs.push_back(url.absoluteString());
        return true;
    });
    previousLog_ =
        platform::installLogSink([this](const std::string& line) { logLines.push_back(line); });
}

ScriptedUserInterface::~ScriptedUserInterface() {
    platform::installWebEngineFactory(std::move(previousEngines_));
    platform::installAlertPresenter(std::move(previousAlerts_));
    platform::installURLOpener(std::move(previousOpener_));
    platform::installLogSink(std::move(previousLog_));
}

std::string bodyText(const platform::NSURLRequest& request) {
    const auto& body = request.HTTPBody();
    return std::string(reinterpret_cast<const char*>(body.data()), body.size());
}

}  // namespace testing_support
