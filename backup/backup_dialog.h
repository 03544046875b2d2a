// TForm2, the backup-and-run dialog: offers to back the listed files up into
// a chosen folder, then drives the run. A top-level dialog of its own,
// transient for the main window but not its child: a child would be disabled
// with the main window, which disables itself while this is up.
#pragma once

#include <QPointer>
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
    // owner: the main window the dialog belongs to, kept above it by the
    // window manager; none in tests of the dialog alone.
    explicit TForm2(RunHost& host, QWidget* owner = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void createControls();
    void connectHandlers();

    // Switches between the compact layout and the one with the folder chooser.
    void CheckBox1Click();
    // Continue: backs up (or says it does not) and runs the passes.
    void Button1Click();
    // Cancel: back to the main window, nothing else.
    void Button2Click();
    // Places the dialog with its height as last left.
    void FormShow();
    // Unticks the box and hides the folder chooser.
    void FormActivate();

    void setFolderControlsVisible(bool visible);
    void belongToOwner();

    RunHost& host_;
    QPointer<QWidget> owner_;
    // The dialog lost the activation to the greyed main window, which hands
    // it straight back; set from leaving until the next activation.
    bool leftForGreyedOwner_ = false;
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
