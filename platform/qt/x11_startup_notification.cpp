#include "platform/qt/x11_startup_notification.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <algorithm>
#include <charconv>
#include <cstring>

namespace platform {
namespace {

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t result = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return result;
}

xcb_window_t rootOf(xcb_connection_t* connection) {
    return xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
}

// Broadcasts `message` to the root window as the startup-notification protocol has it: pieces
// of 20 bytes, the first of type _NET_STARTUP_INFO_BEGIN, the rest _NET_STARTUP_INFO, ending with a
// NUL, sent from a window of the sender's.
void broadcast(xcb_connection_t* connection, xcb_window_t from, const std::string& message) {
    const xcb_atom_t begin = atom(connection, "_NET_STARTUP_INFO_BEGIN");
    const xcb_atom_t more = atom(connection, "_NET_STARTUP_INFO");
    const std::string bytes = message + '\0';
    for (std::size_t offset = 0; offset < bytes.size(); offset += 20) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 8;
        event.window = from;
        event.type = offset == 0 ? begin : more;
        const std::size_t count = std::min<std::size_t>(20, bytes.size() - offset);
        std::memcpy(event.data.data8, bytes.data() + offset, count);
        xcb_send_event(connection, 0, rootOf(connection), XCB_EVENT_MASK_PROPERTY_CHANGE,
                       reinterpret_cast<const char*>(&event));
    }
}

}  // namespace

std::string startupRemoveMessage(const std::string& startupId) {
    std::string quoted;
    for (const char c : startupId) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
        }
        quoted += c;
    }
    return "remove: ID=\"" + quoted + "\"";
}

unsigned startupTimeOf(const std::string& startupId) {
    const std::size_t mark = startupId.rfind("_TIME");
    if (mark == std::string::npos) {
        return XCB_CURRENT_TIME;
    }
    const char* first = startupId.data() + mark + 5;
    const char* last = startupId.data() + startupId.size();
    unsigned time = XCB_CURRENT_TIME;
    const auto [end, error] = std::from_chars(first, last, time);
    return error == std::errc() && end == last ? time : XCB_CURRENT_TIME;
}

void completeX11Startup(QWidget& window, const std::string& startupId) {
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || startupId.empty()) {
        return;
    }
    xcb_connection_t* connection = x11->connection();
    const auto id = static_cast<xcb_window_t>(window.winId());
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, atom(connection, "_NET_STARTUP_ID"),
                        atom(connection, "UTF8_STRING"), 8,
                        static_cast<std::uint32_t>(startupId.size()), startupId.data());
    // Source 1: a request of the application's own, at the launching's time.
    xcb_client_message_event_t activate{};
    activate.response_type = XCB_CLIENT_MESSAGE;
    activate.format = 32;
    activate.window = id;
    activate.type = atom(connection, "_NET_ACTIVE_WINDOW");
    activate.data.data32[0] = 1;
    activate.data.data32[1] = startupTimeOf(startupId);
    xcb_send_event(connection, 0, rootOf(connection),
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&activate));
    broadcast(connection, id, startupRemoveMessage(startupId));
    xcb_flush(connection);
}

}  // namespace platform
