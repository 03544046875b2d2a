// What every modal box of the program does around its showing: it appears on
// the monitor of the window the user works in, shows the arrow cursor while
// up, and gives the activation and the focus back when it closes.
#pragma once

#include <QPointer>
#include <QWidget>

class QScreen;

namespace ravo {

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
};

} // namespace ravo
