#pragma once

#include "platform/appkit/ns_url.h"

namespace platform {

// Opens URLs with the desktop's default applications (those of the installed Desktop).
class NSWorkspace {
  public:
    static NSWorkspace& sharedWorkspace();
    // Hands `url` to the default browser (or other handler). Returns whether it was handed over.
    bool openURL(const NSURL& url);
};

}  // namespace platform
