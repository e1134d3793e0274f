#pragma once

#include <optional>
#include <string>

namespace platform {

// The desktop's clipboard, through which the user copies and pastes between applications.
class NSPasteboard {
  public:
    static NSPasteboard& generalPasteboard();

    // Replaces what the clipboard holds by the plain text `text` (UTF-8).
    void setString(const std::string& text);
    // The plain text the clipboard holds now (UTF-8), or absent when it holds none.
    std::optional<std::string> string() const;
};

}  // namespace platform
