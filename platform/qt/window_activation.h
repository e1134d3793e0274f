#pragma once

#include <string>

namespace platform {

// Hands the activation token that a later start was given by its launcher (see
// activationTokenOfThisStart) to the toolkit, so that the next activateWindow() presents it to
// the desktop, which lets an application that does not have the focus take it only with one.
// On Wayland it is an xdg-activation token: Qt's xdg-shell takes XDG_ACTIVATION_TOKEN from the
// environment at its next activation request, and clears it. An empty token changes nothing.
void useActivationToken(const std::string& token);

}  // namespace platform
