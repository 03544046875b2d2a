// What every window of the application shares: its title and its main form.
#pragma once

#include <QString>

class QWidget;

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

} // namespace ravo
