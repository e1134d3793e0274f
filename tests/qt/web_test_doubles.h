#pragma once

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
