#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/appkit/web_view.h"

// Writes down each report it gets, e.g. "start", "finish", "fail provisional -1004", "fail -999".
class RecordingFrameLoadDelegate : public platform::WebFrameLoadDelegate {
  public:
    void webViewDidStartProvisionalLoadForFrame(platform::WebView&, platform::WebFrame&) override {
        reports.push_back("start");
    }
    void webViewDidFinishLoadForFrame(platform::WebView&, platform::WebFrame&) override {
        reports.push_back("finish");
    }
    void webViewDidFailProvisionalLoadWithErrorForFrame(platform::WebView&,
                                                        const platform::NSError& error,
                                                        platform::WebFrame&) override {
        reports.push_back("fail provisional " + std::to_string(error.code));
        lastError = error;
    }
    void webViewDidFailLoadWithErrorForFrame(platform::WebView&, const platform::NSError& error,
                                             platform::WebFrame&) override {
        reports.push_back("fail " + std::to_string(error.code));
        lastError = error;
    }

    std::vector<std::string> reports;
    platform::NSError lastError;
};

// An engine that loads nothing and keeps the requests it is given.
class ScriptedWebEngine : public platform::WebEngine {
  public:
    void loadRequest(const platform::NSURLRequest& request) override {
        requests.push_back(request);
    }
    std::vector<platform::NSURLRequest> requests;
};

// Makes every new web view's engine a ScriptedWebEngine while it lives, so that tests of views
// never load the real engine; `engines` lists them in the order of their views.
class ScriptedWebEngineFactory {
  public:
    ScriptedWebEngineFactory() {
        previous_ = platform::installWebEngineFactory([this](platform::WebView&) {
            auto engine = std::make_unique<ScriptedWebEngine>();
            engines.push_back(engine.get());
            return engine;
        });
    }
    ~ScriptedWebEngineFactory() { platform::installWebEngineFactory(std::move(previous_)); }

    std::vector<ScriptedWebEngine*> engines;

  private:
    platform::WebEngineFactory previous_;
};
