#pragma once

#include <memory>
#include <string>

#include "platform/appkit/ns_view_controller.h"

// The about panel: the product's logo, the contact line and the version line, built in code
// from the panel's size when the panel is loaded.
class AboutViewController : public platform::NSViewController {
  public:
    // A controller for the interface description `nibName` ("AboutViewController").
    static std::shared_ptr<AboutViewController> initWithNibName(const std::string& nibName,
                                                                const platform::NSBundle* bundle);
    AboutViewController(const std::string& nibName, const platform::NSBundle* bundle);

    // A background view the interface description may connect; the panel never touches it.
    std::shared_ptr<platform::NSView> backgroundView() const { return _backgroundView; }
    void setBackgroundView(std::shared_ptr<platform::NSView> view) {
        _backgroundView = std::move(view);
    }

    bool setValueForKey(std::string_view key, std::shared_ptr<platform::NSObject> value) override;

  protected:
    void awakeFromNib() override;

  private:
    std::shared_ptr<platform::NSView> _backgroundView;
};

// Where users write to us; the contact line shows it after "邮箱：".
inline constexpr const char* kContactAddress = "contact@quelmarn.example";
