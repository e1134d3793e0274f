#include "platform/appkit/ns_application.h"
#include "shell/app_delegate.h"

// The main interface description names its delegate's class; this makes it known by that name.
[[maybe_unused]] static const bool kAppDelegateRegistered =
    platform::registerClass("AppDelegate", [] { return std::make_shared<AppDelegate>(); });
