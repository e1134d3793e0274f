#pragma once

#include <QWidget>
#include <functional>
#include <string>

namespace platform {

// Runs `activate` (which brings `window` to the front) with the activation token that a later
// start was given by its launcher (see activationTokenOfThisStart), so that the desktop, which
// lets an application without the focus take it only with such a token, lets the window come
// forward:
// - on Wayland it is an xdg-activation token: Qt's xdg-shell takes XDG_ACTIVATION_TOKEN from the
//   environment at its next activation request, and clears it;
// - on X11 it is a startup id, presented to the window manager after `activate` as the
//   freedesktop.org startup-notification protocol has it (completeX11Startup).
// With an empty token it only runs `activate`.
void activateWithToken(const std::string& token, QWidget& window,
                       const std::function<void()>& activate);

}  // namespace platform
