// Key and button presses read from the X11 event stream before Qt sorts
// them, so that a press in a greyed window is seen at all.
#include "dialogs/window_press.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <qguiapplication_platform.h>

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace ravo {

class WindowPressWatch::Filter : public QAbstractNativeEventFilter {
public:
    Filter(std::function<void(QWidget&)> pressed, xcb_connection_t* connection) : pressed_(std::move(pressed))
    {
        // Qt takes the mouse through the input extension, whose events
        // carry its number.
        const char* name = "XInputExtension";
        xcb_query_extension_reply_t* reply = xcb_query_extension_reply(
            connection, xcb_query_extension(connection, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
        if (reply && reply->present)
            inputExtension_ = reply->major_opcode;
        std::free(reply);
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* /*result*/) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        xcb_window_t window = XCB_WINDOW_NONE;
        switch (event->response_type & ~0x80) {
        case XCB_BUTTON_PRESS:
            window = reinterpret_cast<const xcb_button_press_event_t*>(event)->event;
            break;
        case XCB_KEY_PRESS:
            window = reinterpret_cast<const xcb_key_press_event_t*>(event)->event;
            break;
        case XCB_GE_GENERIC: {
            const auto* generic = reinterpret_cast<const xcb_ge_generic_event_t*>(event);
            if (generic->extension != inputExtension_ || inputExtension_ == 0)
                return false;
            if (generic->event_type != XCB_INPUT_BUTTON_PRESS && generic->event_type != XCB_INPUT_KEY_PRESS &&
                generic->event_type != XCB_INPUT_TOUCH_BEGIN)
                return false;
            // The three share one layout.
            window = reinterpret_cast<const xcb_input_button_press_event_t*>(event)->event;
            break;
        }
        default:
            return false;
        }
        // Answered once Qt has dealt with the press, never inside its
        // reading of the event stream.
        QPointer<QWidget> pressed = QWidget::find(window);
        if (pressed) {
            QTimer::singleShot(0, &context_, [this, pressed] {
                if (pressed)
                    pressed_(*pressed->window());
            });
        }
        return false;
    }

private:
    std::function<void(QWidget&)> pressed_;
    std::uint8_t inputExtension_ = 0;
    QObject context_; // ends the answers still due with the watch
};

WindowPressWatch::WindowPressWatch(std::function<void(QWidget& window)> pressed)
{
    const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (x11 == nullptr || x11->connection() == nullptr)
        return;
    filter_ = std::make_unique<Filter>(std::move(pressed), x11->connection());
    QCoreApplication::instance()->installNativeEventFilter(filter_.get());
}

WindowPressWatch::~WindowPressWatch()
{
    if (filter_)
        QCoreApplication::instance()->removeNativeEventFilter(filter_.get());
}

} // namespace ravo
