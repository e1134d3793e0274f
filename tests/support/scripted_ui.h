#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/appkit/ns_alert.h"
#include "platform/appkit/ns_url.h"
#include "platform/appkit/web_view.h"
#include "platform/log.h"

namespace testing_support {

// A web engine that loads nothing: it records each request, and the test plays the delegate's
// reports through its view.
class ScriptedWebEngine : public platform::WebEngine {
  public:
    explicit ScriptedWebEngine(std::vector<platform::NSURLRequest>& loads) : loads_(loads) {}
    void loadRequest(const platform::NSURLRequest& request) override { loads_.push_back(request); }

  private:
    std::vector<platform::NSURLRequest>& loads_;
};

// For the lifetime of a test: web views get scripted engines, alerts are recorded instead of
// shown, URLs opened are recorded, and log lines are collected. Everything is put back after.
class ScriptedUserInterface {
  public:
    ScriptedUserInterface();
    ~ScriptedUserInterface();
    ScriptedUserInterface(const ScriptedUserInterface&) = delete;
    ScriptedUserInterface& operator=(const ScriptedUserInterface&) = delete;

    std::vector<platform::NSURLRequest> loads;
    std::vector<std::string> alerts;
    std::vector<std::string> openedURLs;
    std::vector<std::string> logLines;

  private:
    platform::WebEngineFactory previousEngines_;
    platform::AlertPresenter previousAlerts_;
    platform::URLOpener previousOpener_;
    platform::LogSink previousLog_;
};

// The body of a request as text.
std::string bodyText(const platform::NSURLRequest& request);

}  // namespace testing_support
