#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/appkit/ns_screen.h"
#include "platform/appkit/ns_url.h"
#include "platform/appkit/ns_view.h"
#include "platform/log.h"

namespace testing_support {

// For the lifetime of a test, a scripted desktop and log: web views get engines that load
// nothing and record each request in `loads`, alerts and the URLs opened are recorded instead of
// shown, the main screen is `screen`, and log lines are collected. The desktop that has nothing
// and the previous log sink are put back after.
class ScriptedUserInterface {
  public:
    ScriptedUserInterface();
    ~ScriptedUserInterface();
    ScriptedUserInterface(const ScriptedUserInterface&) = delete;
    ScriptedUserInterface& operator=(const ScriptedUserInterface&) = delete;

    std::vector<platform::NSURLRequest> loads;
    std::size_t webEnginesMade = 0;
    std::vector<std::string> alerts;
    std::vector<std::string> alertDetails;  // each alert's informative text
    bool browserAvailable = true;           // whether opening a URL succeeds
    std::vector<std::string> openedURLs;
    std::vector<std::string> logLines;
    std::shared_ptr<platform::NSScreen> screen;

  private:
    platform::LogSink previousLog_;
};

// The body of a request as text.
std::string bodyText(const platform::NSURLRequest& request);

// The texts of the text fields among `view`'s subviews, back to front (a panel's rows or
// notice, top first).
std::vector<std::string> labelTexts(const platform::NSView& view);

}  // namespace testing_support
