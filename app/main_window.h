// TForm1, the main window: the file list and its commands, the string
// pairs, the operation log and the progress bar. It is also what the
// backup-and-run dialog works on while a run goes.
#pragma once

#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "run/run_host.h"

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

namespace ravo {

class BarProgress;
class MemoLog;
class PaintThrottle;
class RunProgressBar;
class ShortcutRouter;
class TOpenDialog;
class ToolHints;

class TForm1 : public QWidget, public RunHost {
    Q_OBJECT
public:
    static constexpr int kDesignWidth = 696;
    static constexpr int kDesignHeight = 480;

    TForm1();
    ~TForm1() override;

    // The backup-and-run dialog and the help window, created after this one.
    void SetCompanionWindows(QWidget* runDialog, QWidget* helpWindow);
    // How the view command starts the editor; the launcher unless replaced.
    using ProgramStarter = std::function<void(const std::string& commandLine)>;
    void SetProgramStarter(ProgramStarter starter);

    // The list's entry at index; EStringListError outside 0..count-1.
    QString Soubor_Nazev(int index) const;

    std::vector<std::string> ListedPaths() const override;
    StringPair PairTexts(int pair) const override;
    OperationLog& Log() override;
    void ClearLog() override;
    void RunStarting() override;
    void RunEnded() override;
    ProgressIndicator& Progress() override;
    void ReturnFromDialog() override;

signals:
    // The window was closed: the program ends.
    void Closed();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void FormResize();
    void FormActivate();
    void createControls();
    void createToolStrip(QWidget& strip);
    void createStringFields();
    void createRunGroup();
    void createMenus();
    void createPopupMenu();
    void createShortcuts();
    void connectCommands();
    void setAccessibleNames();
    void AlignControls();
    void bringRunDialogForward();
    QAction* addEntry(QMenu& menu, const char* name, const QString& caption, const QKeySequence& shortcut);

    bool AddFiles();
    void ListFile(const QString& shown, const std::string& path);
    std::string ListedPath(int index) const;
    void SetFileCommandsEnabled(bool enabled);
    void ShowPopupMenu(const QPoint& position);

    void Button1Click();
    void glyphButton1Click();
    void Button2Click();
    void SpeedButton2Click();
    void Button4Click();
    void SpeedButton3Click();
    void mnVybratVseClick();
    void ListBox1DblClick();
    void Button3Click();
    void Jednoduearychle1Click();
    void Konec1Click();

    // Controls, under the object names that tests, scripts and the
    // accessibility tree find them by.
    QMenuBar* MainMenu1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QLabel* Panel1 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QWidget* Panel3 = nullptr;
    QToolButton* glyphButton1 = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QToolButton* SpeedButton3 = nullptr;
    QToolButton* SpeedButton4 = nullptr;
    QListWidget* ListBox1 = nullptr;
    QWidget* Panel2 = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    // The string fields Edit1, Edit2 and on, numbered as FieldsOfPair gives.
    std::array<QLineEdit*, 2 * kPairCount> Edits{};
    QGroupBox* GroupBox5 = nullptr;
    QPushButton* Button3 = nullptr;
    RunProgressBar* ProgressBar1 = nullptr;
    QGroupBox* GroupBox6 = nullptr;
    QPlainTextEdit* Memo3 = nullptr;
    TOpenDialog* OpenDialog1 = nullptr;

    QAction* Vybratsoubory1 = nullptr;
    QAction* mnVybratVse = nullptr;
    QAction* mnOdstranitVybrane = nullptr;
    QAction* mnOdstranitVse = nullptr;
    QAction* Konec1 = nullptr;
    QAction* mnZobrazitSoubor = nullptr;
    QAction* Jednoduearychle1 = nullptr;
    QAction* Pidatsoubory1 = nullptr;
    QAction* mnPopUpZobrazitSoubor = nullptr;
    QAction* Vybratve1 = nullptr;
    QAction* Odsrtanitsoubor1 = nullptr;
    QAction* Odstranitve1 = nullptr;

private:
    // The string field numbered `number` (from 1).
    QLineEdit* Field(int number) const;

    std::array<QAction*, 7> fileCommands_{};
    int leftGroupWidth_;
    QPointer<QWidget> runDialog_;
    QPointer<QWidget> helpWindow_;
    // The control that had the focus when the run button disabled the window.
    QPointer<QWidget> focusBeforeDialog_;
    ProgramStarter startProgram_;
    ShortcutRouter* shortcuts_ = nullptr;
    ToolHints* toolHints_ = nullptr;
    std::unique_ptr<PaintThrottle> paintThrottle_;
    std::unique_ptr<MemoLog> log_;
    std::unique_ptr<BarProgress> progress_;
};

} // namespace ravo
