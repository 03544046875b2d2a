// TForm2, the backup-and-run dialog: offers to back the listed files up into
// a chosen folder, then drives the run. A top-level window of its own (not a
// child of the main window, which disables itself while this is up).
#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;

namespace ravo {

class RunHost;
class TDirectoryListBox;
class TDriveComboBox;

class TForm2 : public QWidget {
    Q_OBJECT
public:
    explicit TForm2(RunHost& host);

    // Switches between the compact layout and the one with the folder chooser.
    void CheckBox1Click();
    // Continue: backs up (or says it does not) and runs the four passes.
    void Button1Click();
    // Cancel: back to the main window, nothing else.
    void Button2Click();
    // Places the dialog with its height as last left.
    void FormShow();
    // Unticks the box and hides the folder chooser.
    void FormActivate();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void createControls();
    void connectHandlers();
    void setFolderControlsVisible(bool visible);

    RunHost& host_;
    QLabel* Image1 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QLabel* Label1 = nullptr;
    TDriveComboBox* DriveComboBox1 = nullptr;
    QLabel* Label2 = nullptr;
    TDirectoryListBox* DirectoryListBox1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
};

} // namespace ravo
