// The program as it starts: the application's set-up, then its three windows
// created in order (main window, backup-and-run dialog, help window) and wired
// together. The program itself, the windowed-run benchmark and the whole-run
// tests all build it here, so none of them runs a program other than the one
// users run.
#pragma once

#include "app/main_window.h"
#include "backup/backup_dialog.h"
#include "help/help_window.h"

class QApplication;

namespace ravo {

// The application's title "RAVO", Qt's Czech texts, the fonts' stand-ins,
// the window icon, and the rule that only closing the main window ends the
// program.
void SetUpApplication(QApplication& application);

// The three windows; only the main window is ever shown at start.
class Program {
public:
    Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    TForm1& MainWindow() { return form1_; }
    TForm2& BackupDialog() { return form2_; }
    TForm3& HelpWindow() { return form3_; }

private:
    TForm1 form1_;
    TForm2 form2_;
    TForm3 form3_;
};

} // namespace ravo
