// The one place where an error that leaves a handler is reported: every
// handler connected to a signal runs inside Guard, and RavoApplication's
// notify() is the backstop for everything else. No exception may cross a
// Qt frame.
#pragma once

#include <QApplication>
#include <QString>
#include <exception>
#include <functional>
#include <utility>

namespace ravo {

// The application's title, "RAVO" from start-up on: the caption of the error
// box and of custom message boxes. Kept as program state because Qt would
// append a display name to every window title.
QString ApplicationTitle();
void SetApplicationTitle(const QString& title);

// The application's main form: the first one to claim it while none lives.
// A box hands the activation back to it when the window that was active
// before the box has gone out of sight meanwhile.
QWidget* MainForm();
void ClaimMainForm(QWidget* form);

// Shows the error unless it is of the silent abort kind.
void ReportUnhandledError(const std::exception& error);
// The error box: the message with the full-stop rule, the application's
// title as caption, the stop icon and one OK button. Returns when closed.
void ShowErrorBox(const std::exception& error);

// Runs one event delivery; an error that leaves it is reported and the
// event then counts as handled. The body of RavoApplication::notify.
bool DeliverReportingErrors(const std::function<bool()>& deliver);

// Runs handler(args...) and reports any error that leaves it.
template <typename Handler>
auto Guard(Handler handler)
{
    return [handler = std::move(handler)](auto&&... args) {
        try {
            handler(std::forward<decltype(args)>(args)...);
        } catch (const std::exception& error) {
            ReportUnhandledError(error);
        }
    };
}

// Reports errors that escape event processing outside a guarded handler.
class RavoApplication : public QApplication {
public:
    RavoApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace ravo
