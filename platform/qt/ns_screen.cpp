#include "platform/appkit/ns_screen.h"

#include <QGuiApplication>
#include <QScreen>

#include "platform/qt/replaceable_function.h"

namespace platform {
namespace {

std::shared_ptr<NSScreen> primaryScreen() {
    const QScreen* screen =
        QGuiApplication::instance() != nullptr ? QGuiApplication::primaryScreen() : nullptr;
    if (screen == nullptr) {
        return nullptr;
    }
    // Qt's geometry is already in device-independent pixels, which are points. The main screen's
    // origin is the origin of the whole desktop.
    const QRect geometry = screen->geometry();
    return std::make_shared<NSScreen>(NSMakeRect(0, 0, geometry.width(), geometry.height()),
                                      screen->devicePixelRatio());
}

ReplaceableFunction<ScreenSource>& screenSource() {
    static ReplaceableFunction<ScreenSource> source(primaryScreen);
    return source;
}

}  // namespace

std::shared_ptr<NSScreen> NSScreen::mainScreen() {
    return screenSource().current()();
}

ScreenSource installScreenSource(ScreenSource source) {
    return screenSource().replace(std::move(source));
}

}  // namespace platform
