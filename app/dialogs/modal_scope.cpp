// Saving and restoring the user's place around a modal box.
#include "app/dialogs/modal_scope.h"

#include "app/dialogs/application.h"

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

ModalScope::ModalScope()
    : activeWindow_(QApplication::activeWindow()), focusWidget_(QApplication::focusWidget())
{
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
