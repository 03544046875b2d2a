// The main window's commands, in the order of its menus. The plain forms
// (menus, pop-up menu) leave the file commands group as it is; the tool forms
// (the buttons above the list) switch it on and off.
#include "app/main_window.h"

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>

#include "dialogs/guard.h"
#include "dialogs/message_form.h"
#include "dialogs/open_dialog.h"

namespace ravo {
namespace {

const QString kEmptyListNotice = QStringLiteral("Seznamu souborů je prázdný!");
const QString kRemoveAllQuestion = QStringLiteral("Odstranit z výběru všechny soubory?");
const QString kEmptyRunNotice = QStringLiteral("Nejprve přidejte soubory do seznamu a vyplňte políčka pro řetězce!");
const std::string kEditorCommand = "notepad.exe ";

// A guarded handler that ignores whatever the signal passes.
template <typename Handler>
auto Command(Handler handler)
{
    return Guard([handler](auto&&...) { handler(); });
}

} // namespace

void TForm1::connectCommands()
{
    connect(Vybratsoubory1, &QAction::triggered, this, Command([this] { Button1Click(); }));
    connect(Pidatsoubory1, &QAction::triggered, this, Command([this] { Button1Click(); }));
    connect(glyphButton1, &QToolButton::clicked, this, Command([this] { glyphButton1Click(); }));
    connect(mnOdstranitVybrane, &QAction::triggered, this, Command([this] { Button2Click(); }));
    connect(Odsrtanitsoubor1, &QAction::triggered, this, Command([this] { Button2Click(); }));
    connect(SpeedButton2, &QToolButton::clicked, this, Command([this] { SpeedButton2Click(); }));
    connect(mnOdstranitVse, &QAction::triggered, this, Command([this] { Button4Click(); }));
    connect(Odstranitve1, &QAction::triggered, this, Command([this] { Button4Click(); }));
    connect(SpeedButton3, &QToolButton::clicked, this, Command([this] { SpeedButton3Click(); }));
    connect(mnVybratVse, &QAction::triggered, this, Command([this] { mnVybratVseClick(); }));
    connect(Vybratve1, &QAction::triggered, this, Command([this] { mnVybratVseClick(); }));
    connect(mnZobrazitSoubor, &QAction::triggered, this, Command([this] { ListBox1DblClick(); }));
    connect(mnPopUpZobrazitSoubor, &QAction::triggered, this, Command([this] { ListBox1DblClick(); }));
    connect(SpeedButton4, &QToolButton::clicked, this, Command([this] { ListBox1DblClick(); }));
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, Command([this] { ListBox1DblClick(); }));
    connect(ListBox1, &QListWidget::customContextMenuRequested, this,
            Guard([this](const QPoint& position) { ShowPopupMenu(position); }));
    connect(Button3, &QPushButton::clicked, this, Command([this] { Button3Click(); }));
    connect(Jednoduearychle1, &QAction::triggered, this, Command([this] { Jednoduearychle1Click(); }));
    connect(Konec1, &QAction::triggered, this, Command([this] { Konec1Click(); }));
}

void TForm1::SetFileCommandsEnabled(bool enabled)
{
    for (QAction* entry : fileCommands_)
        entry->setEnabled(enabled);
}

void TForm1::ShowPopupMenu(const QPoint& position)
{
    PopupMenu1->popup(ListBox1->viewport()->mapToGlobal(position));
}

// Appends the confirmed files in the order the dialog gives them. The list
// keeps an item with the focus whenever it has items, so that the remove and
// view commands always have a current entry to act on.
bool TForm1::AddFiles()
{
    if (!OpenDialog1->ChooseFiles())
        return false;
    const QStringList& shown = OpenDialog1->SelectedPaths();
    const std::vector<std::string>& paths = OpenDialog1->SelectedPathBytes();
    for (qsizetype i = 0; i < shown.size(); ++i)
        ListFile(shown[i], paths[static_cast<std::size_t>(i)]);
    if (ListBox1->currentRow() < 0 && ListBox1->count() > 0)
        ListBox1->selectionModel()->setCurrentIndex(ListBox1->model()->index(0, 0), QItemSelectionModel::NoUpdate);
    return true;
}

void TForm1::Button1Click()
{
    AddFiles();
}

void TForm1::glyphButton1Click()
{
    if (AddFiles())
        SetFileCommandsEnabled(true);
}

// Only the item with the focus goes, however many are selected.
void TForm1::Button2Click()
{
    const int current = ListBox1->currentRow();
    if (current >= 0 && current < ListBox1->count())
        delete ListBox1->takeItem(current);
}

void TForm1::SpeedButton2Click()
{
    if (ListBox1->count() == 0) {
        ShowNotice(kEmptyListNotice);
        return;
    }
    Button2Click();
    if (ListBox1->count() == 0)
        SetFileCommandsEnabled(false);
}

void TForm1::Button4Click()
{
    if (ListBox1->count() > 0 && ConfirmYesNo(kRemoveAllQuestion))
        ListBox1->clear();
}

void TForm1::SpeedButton3Click()
{
    if (ListBox1->count() == 0) {
        ShowNotice(kEmptyListNotice);
        return;
    }
    if (ConfirmYesNo(kRemoveAllQuestion)) {
        ListBox1->clear();
        SetFileCommandsEnabled(false);
    }
}

void TForm1::mnVybratVseClick()
{
    ListBox1->selectAll();
}

// The editor gets the path unquoted after its name; whether it starts is not
// checked.
void TForm1::ListBox1DblClick()
{
    if (ListBox1->count() == 0)
        return;
    startProgram_(kEditorCommand + ListedPath(ListBox1->currentRow()));
}

// The string fields are not looked at: the dialog opens with any of them.
void TForm1::Button3Click()
{
    if (ListBox1->count() == 0) {
        ShowNotice(kEmptyRunNotice);
        return;
    }
    focusBeforeDialog_ = focusWidget();
    if (runDialog_) {
        runDialog_->show();
        runDialog_->raise();
        runDialog_->activateWindow();
    }
    setEnabled(false);
}

// Shown without being brought to the front when it is already up.
void TForm1::Jednoduearychle1Click()
{
    if (helpWindow_ && !helpWindow_->isVisible())
        helpWindow_->show();
}

void TForm1::Konec1Click()
{
    close();
}

} // namespace ravo
