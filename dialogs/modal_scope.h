// What every modal box of the program does around its showing: it appears on
// the monitor of the window the user works in, shows the arrow cursor while
// up, comes back to the front, restored, when the user presses a key or a
// mouse button in a window it greys, and gives the activation and the focus
// back when it closes.
#pragma once

#include <QPointer>
#include <QWidget>

#include <memory>

class QScreen;

namespace ravo {

class WindowPressWatch;

// The monitor a box should appear on: that of the active window, else of
// the fallback window, else the primary one.
QScreen* ScreenForBox(const QWidget* fallback = nullptr);

class ModalScope {
public:
    ModalScope();
    ~ModalScope();
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

private:
    QPointer<QWidget> activeWindow_;
    QPointer<QWidget> focusWidget_;
    bool arrowPushed_ = false;
    std::unique_ptr<WindowPressWatch> pressWatch_;
};


} // namespace ravo
