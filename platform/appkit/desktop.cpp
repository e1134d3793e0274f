#include "platform/appkit/desktop.h"

#include "platform/appkit/ns_alert.h"
#include "platform/appkit/ns_screen.h"
#include "platform/appkit/ns_workspace.h"
#include "platform/appkit/web_engine.h"

namespace platform {
namespace {

// What stands in before a desktop is installed: nothing is shown or opened.
class EmptyDesktop : public Desktop {
  public:
    long runModal(const NSAlert& /*alert*/) override { return NSAlertFirstButtonReturn; }
    std::shared_ptr<NSScreen> mainScreen() override { return nullptr; }
    bool openURL(const NSURL& /*url*/) override { return false; }
    std::unique_ptr<WebEngine> makeWebEngine(WebView& /*view*/) override { return nullptr; }
};

std::shared_ptr<Desktop>& installed() {
    static std::shared_ptr<Desktop> desktop = std::make_shared<EmptyDesktop>();
    return desktop;
}

}  // namespace

void installDesktop(std::shared_ptr<Desktop> desktop) {
    installed() = desktop ? std::move(desktop) : std::make_shared<EmptyDesktop>();
}

Desktop& currentDesktop() {
    return *installed();
}

long NSAlert::runModal() {
    return currentDesktop().runModal(*this);
}

std::shared_ptr<NSScreen> NSScreen::mainScreen() {
    return currentDesktop().mainScreen();
}

NSWorkspace& NSWorkspace::sharedWorkspace() {
    static NSWorkspace workspace;
    return workspace;
}

bool NSWorkspace::openURL(const NSURL& url) {
    return currentDesktop().openURL(url);
}

}  // namespace platform
