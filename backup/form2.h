// TForm2, the backup-and-run dialog: offers to back the listed files up into
// a chosen folder, then drives the run. A top-level window of its own (not a
// child of the main window, which disables itself while this is up).
#pragma once

#include <QWidget>

namespace ravo {

class RunHost;

class TForm2 : public QWidget {
    Q_OBJECT
public:
    explicit TForm2(RunHost& host);
};

} // namespace ravo
