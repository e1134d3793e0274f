#include "platform/appkit/ns_progress_indicator.h"

#include "platform/qt/native_bridge.h"
#include "platform/qt/spinner.h"

namespace platform {
namespace {

Spinner* spinnerOf(const NSProgressIndicator& indicator) {
    QWidget* widget = widgetOf(indicator);
    return widget != nullptr ? widget->findChild<Spinner*>(QString(), Qt::FindDirectChildrenOnly)
                             : nullptr;
}

}  // namespace

std::shared_ptr<NSProgressIndicator> NSProgressIndicator::initWithFrame(NSRect frame) {
    return placedAt(NativeBridge::wrapProgressIndicator(*new QWidget), frame);
}

std::shared_ptr<NSProgressIndicator> NativeBridge::wrapProgressIndicator(QWidget& widget) {
    auto indicator = std::shared_ptr<NSProgressIndicator>(
        new NSProgressIndicator(std::make_unique<NativeView>(NativeView{&widget})));
    if (QWidget* widget = widgetOf(*indicator)) {
        new Spinner(*widget);
        // Stopped indicators are not shown.
        widget->hide();
    }
    return indicator;
}

void NSProgressIndicator::startAnimation(const std::shared_ptr<NSObject>& /*sender*/) {
    animating_ = true;
    if (Spinner* spinner = spinnerOf(*this)) {
        spinner->start();
        widgetOf(*this)->show();
    }
}

void NSProgressIndicator::stopAnimation(const std::shared_ptr<NSObject>& /*sender*/) {
    animating_ = false;
    if (Spinner* spinner = spinnerOf(*this)) {
        spinner->stop();
        widgetOf(*this)->hide();
    }
}

}  // namespace platform
