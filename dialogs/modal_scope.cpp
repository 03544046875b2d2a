// Saving and restoring the user's place around a modal box.
#include "dialogs/modal_scope.h"

#include "dialogs/application_state.h"
#include "dialogs/window_press.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

namespace ravo {

QScreen* ScreenForBox(const QWidget* fallback)
{
    if (const QWidget* active = QApplication::activeWindow())
        return active->screen();
    if (fallback)
        return fallback->window()->screen();
    return QGuiApplication::primaryScreen();
}

namespace {

// Brings a box to the front, restored if it was minimised.
void BringForward(QWidget& box)
{
    if (box.isMinimized())
        box.setWindowState(box.windowState() & ~Qt::WindowMinimized);
    box.raise();
    box.activateWindow();
}

} // namespace

ModalScope::ModalScope()
    : activeWindow_(QApplication::activeWindow()), focusWidget_(QApplication::focusWidget())
{
    // A box is not attached to the window it greys, so that it is placed by
    // the program's rules; a window manager then lets it be minimised alone,
    // and a press in the greyed window is the user's way to get it back.
    pressWatch_ = std::make_unique<WindowPressWatch>([](QWidget& window) {
        QWidget* box = QApplication::activeModalWidget();
        if (box && &window != box && !box->isAncestorOf(&window))
            BringForward(*box);
    });
    // A busy cursor set by the caller would otherwise hide that the box
    // waits for the user.
    if (QGuiApplication::overrideCursor()) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::ArrowCursor));
        arrowPushed_ = true;
    }
}

ModalScope::~ModalScope()
{
    // A cursor someone set while the box was up stays as they left it.
    const QCursor* top = QGuiApplication::overrideCursor();
    if (arrowPushed_ && top && top->shape() == Qt::ArrowCursor)
        QGuiApplication::restoreOverrideCursor();
    // A run hides its dialog and asks for the main form's activation, but
    // processes no events before an error box comes up: the window the box
    // found active is then already out of sight.
    QWidget* back = activeWindow_ && activeWindow_->isVisible() ? activeWindow_.data() : MainForm();
    if (back && back->isVisible()) {
        back->activateWindow();
    }
    if (focusWidget_ && focusWidget_->isVisible())
        focusWidget_->setFocus(Qt::OtherFocusReason);
}

} // namespace ravo
