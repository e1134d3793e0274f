#pragma once

#include <string>

namespace platform {

// Returned by runModal for the alert's default button.
inline constexpr long NSAlertFirstButtonReturn = 1000;

// A modal message with one default button.
class NSAlert {
  public:
    const std::string& messageText() const { return messageText_; }
    void setMessageText(const std::string& text) { messageText_ = text; }
    // Details under the message, which the user can select and copy (an address, say); empty
    // for none.
    const std::string& informativeText() const { return informativeText_; }
    void setInformativeText(const std::string& text) { informativeText_ = text; }

    // Shows the alert (through the installed Desktop) and returns once the user has dismissed
    // it, with the button pressed.
    long runModal();

  private:
    std::string messageText_;
    std::string informativeText_;
};

}  // namespace platform
