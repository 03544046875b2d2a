// Presses of a key or a mouse button in the program's windows, seen also
// where Qt sees none: in a window that a modal box greys, whose input Qt
// drops before any event filter.
#pragma once

#include <functional>
#include <memory>

class QWidget;

namespace ravo {

class WindowPressWatch {
public:
    // `pressed` gets the top-level window pressed in, from the event loop,
    // for as long as the watch lives. Nothing is seen where the display is
    // not an X11 one.
    explicit WindowPressWatch(std::function<void(QWidget& window)> pressed);
    ~WindowPressWatch();
    WindowPressWatch(const WindowPressWatch&) = delete;
    WindowPressWatch& operator=(const WindowPressWatch&) = delete;

private:
    class Filter;
    std::unique_ptr<Filter> filter_;
};

} // namespace ravo
