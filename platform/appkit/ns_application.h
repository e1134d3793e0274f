#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/appkit/ns_object.h"

namespace platform {

class NSApplication;
class NativeBridge;

// What the application tells its delegate.
class NSApplicationDelegate : public virtual NSObject {
  public:
    // Launching is done: the main interface description is loaded and its outlets connected.
    virtual void applicationDidFinishLaunching() {}
    // The user opened the application again while it runs. `hasVisibleWindows` tells whether
    // any of its windows is on screen. Returns whether the application handled it.
    virtual bool applicationShouldHandleReopenHasVisibleWindows(NSApplication& application,
                                                                bool hasVisibleWindows) = 0;
};

// The running application: it owns the objects of the main interface description.
class NSApplication {
  public:
    static NSApplication& sharedApplication();

    std::shared_ptr<NSApplicationDelegate> delegate() const { return delegate_; }
    void setDelegate(std::shared_ptr<NSApplicationDelegate> delegate) {
        delegate_ = std::move(delegate);
    }
    // Whether any window of the application is on screen (a minimised one is not).
    bool hasVisibleWindows() const;
    // Answers the user's opening the application again while it runs (a second start, the tray
    // icon): brings its windows on screen to the front and gives the keyboard to the main one,
    // or to a modal alert, then tells the delegate, with whether any window is on screen.
    void reopen();
    // Asks the event loop to end.
    void terminate();

  private:
    // The toolkit backend keeps the objects of the main interface description here.
    friend class NativeBridge;

    std::shared_ptr<NSApplicationDelegate> delegate_;
    std::vector<std::shared_ptr<NSObject>> interfaceObjects_;
};

// Makes an object of a class that the main interface description names (its delegate).
using ClassFactory = std::function<std::shared_ptr<NSObject>()>;
// Registers `factory` under `className`; returns true so that it can initialise a static.
bool registerClass(const std::string& className, ClassFactory factory);

// Runs the application on the installed machine and desktop (installMachine and installDesktop,
// which the caller does first):
// makes sure this is the only instance in the user's session (a second start asks the running
// one to reopen and returns 0; 1 when the running one does not answer), loads the main interface
// description (which creates the delegate, makes it the application's delegate and connects its
// outlets and actions), sends applicationDidFinishLaunching, shows the main window and runs the
// event loop. Where the desktop has a tray, an icon there brings the closed window back and
// quits; where it has none, closing the window quits. Returns the program's exit status.
int NSApplicationMain(int argc, char** argv);

}  // namespace platform
