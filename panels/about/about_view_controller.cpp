#include "panels/about/about_view_controller.h"

#include "platform/appkit/ns_font.h"
#include "platform/appkit/ns_image.h"
#include "platform/appkit/ns_text_field.h"
#include "platform/format.h"

using namespace platform;

namespace {

constexpr double kLogoSide = 150;
constexpr double kLineHeight = 30;
constexpr double kFontSize = 20.0;

// A centred, plain line of text across the whole panel.
std::shared_ptr<NSTextField> makeLine(NSRect frame, const std::string& text) {
    auto line = NSTextField::initWithFrame(frame);
    line->setStringValue(text);
    line->setFont(NSFont::fontWithName("Lucida Grande", kFontSize));
    line->setBezeled(false);
    line->setDrawsBackground(false);
    line->setAlignment(NSCenterTextAlignment);
    line->setEditable(false);
    line->setSelectable(false);
    return line;
}

}  // namespace

std::shared_ptr<AboutViewController> AboutViewController::initWithNibName(
    const std::string& nibName, const NSBundle* bundle) {
    return std::make_shared<AboutViewController>(nibName, bundle);
}

AboutViewController::AboutViewController(const std::string& nibName, const NSBundle* bundle)
    : NSViewController(nibName, bundle) {}

bool AboutViewController::setValueForKey(std::string_view key, std::shared_ptr<NSObject> value) {
    if (key == "_backgroundView") {
        setBackgroundView(std::dynamic_pointer_cast<NSView>(value));
        return true;
    }
    return NSViewController::setValueForKey(key, std::move(value));
}

void AboutViewController::awakeFromNib() {
    const NSRect bounds = view()->frame();
    const double width = bounds.width;
    const double height = bounds.height;

    auto logo = NSImageView::initWithFrame(
        NSMakeRect((width - kLogoSide) * 0.5, height - 200, kLogoSide, kLogoSide));
    logo->setImage(NSImage::imageNamed("quelmarn.png"));

    auto contact = makeLine(NSMakeRect(0, height - 260, width, kLineHeight),
                            std::string("邮箱：") + kContactAddress);

    const auto version = NSBundle::mainBundle().objectForInfoDictionaryKey("CFBundleVersion");
    auto versionLine = makeLine(NSMakeRect(0, height - 340, width, kLineHeight),
                                stringWithFormat("版本：%@", {arg(version)}));

    view()->addSubview(logo);
    view()->addSubview(contact);
    view()->addSubview(versionLine);
}
