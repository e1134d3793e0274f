#pragma once

#include <functional>
#include <string>

namespace platform {

// Returned by runModal for the alert's default button.
inline constexpr long NSAlertFirstButtonReturn = 1000;

// A modal message with one default button.
class NSAlert {
  public:
    const std::string& messageText() const { return messageText_; }
    void setMessageText(const std::string& text) { messageText_ = text; }

    // Shows the alert and returns once the user has dismissed it, with the button pressed.
    long runModal();

  private:
    std::string messageText_;
};

// Shows an alert and returns the button pressed. The toolkit's modal message box unless a test
// installs its own; returns the presenter it replaces (an empty function puts the toolkit's back).
using AlertPresenter = std::function<long(const NSAlert& alert)>;
AlertPresenter installAlertPresenter(AlertPresenter presenter);

}  // namespace platform
