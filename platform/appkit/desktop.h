#pragma once

#include <memory>

namespace platform {

class NSAlert;
class NSScreen;
class NSURL;
class WebEngine;
class WebView;

// The services of the desktop that the AppKit calls reach beyond the application's own views:
// modal alerts, the main screen, handing URLs to the desktop's browser and the web views'
// engines. The entry point installs the toolkit's once at start (platform/qt/qt_desktop.h);
// tests install scripted ones.
class Desktop {
  public:
    virtual ~Desktop() = default;

    // Shows `alert` modally and returns once the user has dismissed it, with the button pressed
    // (NSAlertFirstButtonReturn for the default one).
    virtual long runModal(const NSAlert& alert) = 0;
    // The primary display, or null when there is none.
    virtual std::shared_ptr<NSScreen> mainScreen() = 0;
    // Hands `url` to the default browser (or other handler). Returns whether it was handed over.
    virtual bool openURL(const NSURL& url) = 0;
    // The engine of the new web view `view`, which reports its loads through that view; null
    // leaves the view without one, and its loads then do nothing.
    virtual std::unique_ptr<WebEngine> makeWebEngine(WebView& view) = 0;
};

// The desktop every alert, screen, URL and web view goes to. Installing replaces the previous
// one; null puts back the desktop that has nothing.
void installDesktop(std::shared_ptr<Desktop> desktop);

// The installed desktop. Before any install this is a desktop that has nothing: alerts return
// NSAlertFirstButtonReturn at once, there is no main screen, no URL is opened and web views get
// no engine.
Desktop& currentDesktop();

}  // namespace platform
