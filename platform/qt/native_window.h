#pragma once

#include <QMainWindow>
#include <QPointer>

namespace platform {

// The main window behind an NSWindow; null once Qt has deleted it.
struct NativeWindow {
    QPointer<QMainWindow> window;
};

}  // namespace platform
