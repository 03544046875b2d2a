// The window manager's frame on an X11 display (EWMH): _NET_FRAME_EXTENTS
// of a window on screen, and for a window about to be shown the estimate the
// window manager gives on _NET_REQUEST_FRAME_EXTENTS.
#include "dialogs/window_frame.h"

#include <QGuiApplication>
#include <QWidget>
#include <qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

namespace ravo {

namespace {

// A window manager that claims to estimate frames but stays silent must not
// hold the window back for long. One that is still starting drops requests
// (openbox does), so the request is repeated while waiting.
constexpr std::chrono::milliseconds kEstimateWait(1000);
constexpr std::chrono::milliseconds kRequestAgain(100);
constexpr std::chrono::milliseconds kEstimatePoll(2);

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, FreeReply>;

class Display {
public:
    explicit Display(xcb_connection_t* connection) : connection_(connection) {}

    xcb_atom_t Atom(const char* name) const
    {
        const auto length = static_cast<std::uint16_t>(std::strlen(name));
        const ReplyPtr<xcb_intern_atom_reply_t> reply(
            xcb_intern_atom_reply(connection_, xcb_intern_atom(connection_, 0, length, name), nullptr));
        return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    }

    // The 32-bit values of a property, at most `count` of them.
    std::vector<std::uint32_t> Values(xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
                                      std::uint32_t count) const
    {
        const ReplyPtr<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            connection_, xcb_get_property(connection_, 0, window, property, type, 0, count), nullptr));
        if (!reply || reply->type != type || reply->format != 32)
            return {};
        const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
        return std::vector<std::uint32_t>(data, data + xcb_get_property_value_length(reply.get()) / 4);
    }

    xcb_window_t RootOf(xcb_window_t window) const
    {
        const ReplyPtr<xcb_get_geometry_reply_t> reply(
            xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr));
        return reply ? reply->root : xcb_window_t{XCB_WINDOW_NONE};
    }

    bool IsMapped(xcb_window_t window) const
    {
        const ReplyPtr<xcb_get_window_attributes_reply_t> reply(xcb_get_window_attributes_reply(
            connection_, xcb_get_window_attributes(connection_, window), nullptr));
        return reply && reply->map_state != XCB_MAP_STATE_UNMAPPED;
    }

    // A window manager runs (its check window names itself) and lists the
    // feature among those it supports.
    bool WindowManagerSupports(xcb_window_t root, const char* feature) const
    {
        const xcb_atom_t check = Atom("_NET_SUPPORTING_WM_CHECK");
        const std::vector<std::uint32_t> owner = Values(root, check, XCB_ATOM_WINDOW, 1);
        if (owner.empty() || Values(owner[0], check, XCB_ATOM_WINDOW, 1) != owner)
            return false;
        const xcb_atom_t wanted = Atom(feature);
        for (std::uint32_t atom : Values(root, Atom("_NET_SUPPORTED"), XCB_ATOM_ATOM, 4096))
            if (atom == wanted)
                return true;
        return false;
    }

    void SendToRoot(xcb_window_t root, xcb_window_t window, xcb_atom_t message) const
    {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = window;
        event.type = message;
        xcb_send_event(connection_, 0, root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&event));
        xcb_flush(connection_);
    }

    void DeleteProperty(xcb_window_t window, xcb_atom_t property) const
    {
        xcb_delete_property(connection_, window, property);
    }

private:
    xcb_connection_t* connection_;
};

// _NET_FRAME_EXTENTS holds left, right, top, bottom.
std::optional<QMargins> ExtentsOf(const Display& display, xcb_window_t window, xcb_atom_t extents)
{
    const std::vector<std::uint32_t> values = display.Values(window, extents, XCB_ATOM_CARDINAL, 4);
    if (values.size() != 4)
        return std::nullopt;
    return QMargins(static_cast<int>(values[0]), static_cast<int>(values[2]), static_cast<int>(values[1]),
                    static_cast<int>(values[3]));
}

// The window manager estimates the frame from the window's hints as they
// stand; the old value of an earlier showing is removed first, so only its
// fresh answer counts.
std::optional<QMargins> EstimatedExtents(const Display& display, xcb_window_t root, xcb_window_t window,
                                         xcb_atom_t extents)
{
    if (!display.WindowManagerSupports(root, "_NET_REQUEST_FRAME_EXTENTS"))
        return std::nullopt;
    display.DeleteProperty(window, extents);
    const xcb_atom_t request = display.Atom("_NET_REQUEST_FRAME_EXTENTS");
    const auto start = std::chrono::steady_clock::now();
    for (auto now = start; now - start < kEstimateWait; now = std::chrono::steady_clock::now()) {
        display.SendToRoot(root, window, request);
        const auto askAgain = now + kRequestAgain;
        do {
            if (std::optional<QMargins> frame = ExtentsOf(display, window, extents))
                return frame;
            std::this_thread::sleep_for(kEstimatePoll);
        } while (std::chrono::steady_clock::now() < askAgain);
    }
    return std::nullopt;
}

int ToWindowPixels(int nativePixels, qreal ratio)
{
    return static_cast<int>(std::lround(nativePixels / ratio));
}

} // namespace

std::optional<QMargins> AnnouncedFrame(QWidget& window)
{
    // The offscreen platform answers to the X11 interface too, without a
    // display behind it.
    if (QGuiApplication::platformName() != QLatin1String("xcb") || !window.isWindow())
        return std::nullopt;
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || x11->connection() == nullptr)
        return std::nullopt;
    const Display display(x11->connection());
    // Makes the native window when it does not exist yet: the window manager
    // estimates for a window, not for a widget.
    const auto id = static_cast<xcb_window_t>(window.winId());
    const xcb_window_t root = display.RootOf(id);
    if (root == XCB_WINDOW_NONE)
        return std::nullopt;
    const xcb_atom_t extents = display.Atom("_NET_FRAME_EXTENTS");
    const std::optional<QMargins> frame = display.IsMapped(id) ? ExtentsOf(display, id, extents)
                                                               : EstimatedExtents(display, root, id, extents);
    if (!frame)
        return std::nullopt;
    const qreal ratio = window.devicePixelRatioF();
    return QMargins(ToWindowPixels(frame->left(), ratio), ToWindowPixels(frame->top(), ratio),
                    ToWindowPixels(frame->right(), ratio), ToWindowPixels(frame->bottom(), ratio));
}

} // namespace ravo
