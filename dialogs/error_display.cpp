// The error path: an error that leaves a handler ends up here, and everything
// but the silent abort is shown in the platform's standard message box.
#include "dialogs/error_display.h"

#include "dialogs/application_state.h"
#include "dialogs/modal_scope.h"
#include "dialogs/placement.h"
#include "engine/exception.h"

#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QWidget>

namespace ravo {

namespace {

// The standard box, centred on the monitor the user works on rather than
// where the mouse happens to be.
class ErrorBox : public QMessageBox {
public:
    ErrorBox(const QString& text, QScreen* screen)
        : QMessageBox(QMessageBox::Critical, ApplicationTitle(), text, QMessageBox::Ok),
          screen_(screen)
    {
        setObjectName(QStringLiteral("ErrorBox"));
        setTextFormat(Qt::PlainText);
        if (screen_)
            setScreen(screen_);
    }

protected:
    void showEvent(QShowEvent* event) override
    {
        QMessageBox::showEvent(event);
        if (screen_)
            Place(*this, screen_->geometry(), CentredOnMonitor);
    }

private:
    QScreen* screen_ = nullptr;
};

std::string MessageOf(const std::exception& error)
{
    if (const auto* own = dynamic_cast<const Exception*>(&error))
        return own->Message();
    return error.what();
}

// A drag or a pressed button must not stay captured behind the box.
void CancelMouseCapture()
{
    if (QWidget* grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
}

// The error box: the message with the full-stop rule, the application's
// title as caption, the stop icon and one OK button. Returns when closed.
void ShowErrorBox(const std::exception& error)
{
    const QString text = QString::fromLocal8Bit(ErrorBoxText(MessageOf(error)));
    ModalScope scope;
    ErrorBox box(text, ScreenForBox());
    box.exec();
}

} // namespace

void ReportUnhandledError(const std::exception& error)
{
    CancelMouseCapture();
    if (dynamic_cast<const EAbort*>(&error))
        return;
    ShowErrorBox(error);
}

} // namespace ravo
