#pragma once

#include <memory>
#include <vector>

#include "platform/appkit/web_view.h"

// An engine that loads nothing: it keeps the requests it is given, so tests can look at them,
// and leaves it to the test to report.
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
