// Asks the Wayland compositor for an xdg-activation token, as a launcher does before it starts
// a program, and prints it: the token the program then finds in XDG_ACTIVATION_TOKEN.
// Usage: activation_token APP_ID (with WAYLAND_DISPLAY set). Exit status 1 when the compositor
// has no xdg-activation or gives no token.
#include <wayland-client.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "xdg-activation-v1-client-protocol.h"

namespace {

struct Globals {
    xdg_activation_v1* activation = nullptr;
};

void announce(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
              std::uint32_t /*version*/) {
    if (std::strcmp(interface, xdg_activation_v1_interface.name) == 0) {
        static_cast<Globals*>(data)->activation = static_cast<xdg_activation_v1*>(
            wl_registry_bind(registry, name, &xdg_activation_v1_interface, 1));
    }
}

void withdraw(void* /*data*/, wl_registry* /*registry*/, std::uint32_t /*name*/) {}

void done(void* data, xdg_activation_token_v1* /*token*/, const char* token) {
    *static_cast<std::string*>(data) = token;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: activation_token APP_ID\n", stderr);
        return 2;
    }
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) {
        std::fputs("activation_token: no Wayland display\n", stderr);
        return 1;
    }
    Globals globals;
    const wl_registry_listener registryListener{announce, withdraw};
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registryListener, &globals);
    wl_display_roundtrip(display);
    if (globals.activation == nullptr) {
        std::fputs("activation_token: the compositor offers no xdg_activation_v1\n", stderr);
        return 1;
    }
    std::string token;
    const xdg_activation_token_v1_listener tokenListener{done};
    xdg_activation_token_v1* request = xdg_activation_v1_get_activation_token(globals.activation);
    xdg_activation_token_v1_add_listener(request, &tokenListener, &token);
    xdg_activation_token_v1_set_app_id(request, argv[1]);
    xdg_activation_token_v1_commit(request);
    while (token.empty() && wl_display_dispatch(display) != -1) {
    }
    xdg_activation_token_v1_destroy(request);
    xdg_activation_v1_destroy(globals.activation);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    if (token.empty()) {
        return 1;
    }
    std::puts(token.c_str());
    return 0;
}
