#include "platform/qt/screen_pixels.h"

#include <xcb/randr.h>
#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QScreen>
#include <cstdlib>
#include <memory>
#include <optional>

namespace platform {
namespace {

// xcb's replies are malloc'd and freed by their receiver.
struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, FreeReply>;

// The size of the CRTC that drives the RandR output named `outputName` on the screen of
// `root`, as it scans out (rotation included); none when no such output is lit.
std::optional<QSize> outputModeSize(xcb_connection_t* connection, xcb_window_t root,
                                    const QByteArray& outputName) {
    const ReplyPtr<xcb_randr_get_screen_resources_current_reply_t> resources(
        xcb_randr_get_screen_resources_current_reply(
            connection, xcb_randr_get_screen_resources_current(connection, root), nullptr));
    if (!resources) {
        return std::nullopt;
    }
    const xcb_randr_output_t* outputs =
        xcb_randr_get_screen_resources_current_outputs(resources.get());
    const int count = xcb_randr_get_screen_resources_current_outputs_length(resources.get());
    for (int index = 0; index < count; ++index) {
        const ReplyPtr<xcb_randr_get_output_info_reply_t> output(xcb_randr_get_output_info_reply(
            connection,
            xcb_randr_get_output_info(connection, outputs[index], resources->config_timestamp),
            nullptr));
        if (!output || output->crtc == XCB_NONE) {
            continue;
        }
        const QByteArray name(
            reinterpret_cast<const char*>(xcb_randr_get_output_info_name(output.get())),
            xcb_randr_get_output_info_name_length(output.get()));
        if (name != outputName) {
            continue;
        }
        const ReplyPtr<xcb_randr_get_crtc_info_reply_t> crtc(xcb_randr_get_crtc_info_reply(
            connection,
            xcb_randr_get_crtc_info(connection, output->crtc, resources->config_timestamp),
            nullptr));
        if (crtc && crtc->width > 0 && crtc->height > 0) {
            return QSize(crtc->width, crtc->height);
        }
    }
    return std::nullopt;
}

std::optional<QSize> x11ModeSize(const QScreen& screen) {
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || x11->connection() == nullptr) {
        return std::nullopt;
    }
    xcb_connection_t* connection = x11->connection();
    // Qt names each of its X11 screens after the RandR output that shows it.
    const QByteArray name = screen.name().toUtf8();
    for (auto roots = xcb_setup_roots_iterator(xcb_get_setup(connection)); roots.rem > 0;
         xcb_screen_next(&roots)) {
        if (auto size = outputModeSize(connection, roots.data->root, name)) {
            return size;
        }
    }
    return std::nullopt;
}

}  // namespace

QSize screenPixelSize(const QScreen& screen) {
    if (const auto mode = x11ModeSize(screen)) {
        return *mode;
    }
    return (QSizeF(screen.geometry().size()) * screen.devicePixelRatio()).toSize();
}

}  // namespace platform
