#pragma once

#include "platform/appkit/ns_url.h"

namespace platform {

// The error a web view reports for every load when it has no engine to load with (the toolkit's
// web engine module could not be loaded): not a network failure.
inline constexpr const char* kWebEngineErrorDomain = "QuelmarnWebEngineErrorDomain";
inline constexpr long kWebEngineMissing = 1;

// The engine that loads and renders pages for a web view (Desktop::makeWebEngine makes one per
// view).
class WebEngine {
  public:
    virtual ~WebEngine() = default;
    // Starts loading `request` asynchronously; reports through its view's frame-load delegate.
    virtual void loadRequest(const NSURLRequest& request) = 0;
};

}  // namespace platform
