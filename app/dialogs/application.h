// The application as a whole: its title, its main form, and the QApplication
// whose event delivery reports the errors that no handler caught.
#pragma once

#include <QApplication>
#include <QString>

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

// The backstop: reports errors that escape event processing outside a
// guarded handler, so that no exception crosses a Qt frame.
class RavoApplication : public QApplication {
public:
    RavoApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace ravo
