// The main window: its controls, placement and layout, and what a run reads
// and writes through it. The commands are in main_window_commands.cpp.
#include "app/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QFile>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStyledItemDelegate>
#include <QToolButton>

#include <stdexcept>

#include "app/bar_progress.h"
#include "dialogs/application_state.h"
#include "dialogs/open_dialog.h"
#include "dialogs/placement.h"
#include "app/memo_log.h"
#include "app/paint_throttle.h"
#include "app/run_progress_bar.h"
#include "app/shortcut_router.h"
#include "app/tool_hints.h"
#include "engine/exception.h"
#include "platform/launcher.h"

namespace ravo {
namespace {

const QString kCaption = QStringLiteral("Hromadná změna obsahu více textových souborů najednou");
const QString kCredit = QStringLiteral("autoři programu RAVO, 2026, https://example.org/ravo, freeware");

// Design-time sizes of the aligned controls.
constexpr int kLeftGroupDesignWidth = 297;
constexpr int kCreditPanelHeight = 18;
constexpr int kToolStripHeight = 26;
constexpr int kRunGroupHeight = 39;
constexpr int kLogGroupHeight = 81;

// Tool buttons in the strip above the list.
constexpr int kToolButtonWidth = 33;
constexpr int kToolButtonHeight = 22;
constexpr int kToolButtonTop = 2;
constexpr int kToolPictureSize = 18;
constexpr int kToolButtonLefts[] = {8, 48, 88, 136};

// The string pairs: labels right-aligned in a column, fields beside them.
constexpr int kLabelLeft = 5;
constexpr int kLabelWidth = 57;
constexpr int kLabelHeight = 16;
// The column ends where the fields begin, so a caption set flush to its
// right edge would put its colon on the field's border; the text stops this
// far short of it.
constexpr int kCaptionGap = 4;
constexpr int kFieldLeft = 62;
constexpr int kFieldDesignWidth = 320;
constexpr int kFieldHeight = 22;
constexpr int kFieldMaxLength = 254;
constexpr std::array<int, kPairCount> kOriginalFieldTops = {40, 96, 152, 208};
constexpr std::array<int, kPairCount> kOriginalLabelTops = {48, 104, 160, 216};
constexpr std::array<int, kPairCount> kReplacementFieldTops = {64, 120, 176, 232};

// Run group: the run button and the progress bar.
constexpr QRect kRunButtonGeometry(4, 10, 161, 25);
constexpr QRect kProgressBarGeometry(176, 15, 201, 16);

// What the layout takes off the strings group's width for a field and for
// the progress bar.
constexpr int kFieldWidthMargin = 70;
constexpr int kProgressBarWidthMargin = 185;

// A group box's frame around the controls aligned inside it; the top also
// leaves room for a caption line.
constexpr int kGroupFrame = 2;

const QColor kLogBackground(0, 129, 198);
const QColor kLogText(0, 255, 255);

// The file list shows its entries at the height the window was designed for.
constexpr int kListItemHeight = 13;

// Where a list item keeps the exact bytes of its file's path; the item's
// text is only the decoded form shown to the user.
constexpr int kPathBytesRole = Qt::UserRole;

class ListItemDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(kListItemHeight);
        return size;
    }
};

QRect GroupClientRect(const QGroupBox& group)
{
    const int top = group.fontMetrics().height() + kGroupFrame;
    return QRect(kGroupFrame, top, group.width() - 2 * kGroupFrame, group.height() - top - kGroupFrame);
}

QGroupBox* NewGroup(QWidget* parent, const char* name, const QString& caption = {})
{
    auto* group = new QGroupBox(caption, parent);
    group->setObjectName(QString::fromLatin1(name));
    return group;
}

} // namespace

TForm1::TForm1()
    : leftGroupWidth_(kLeftGroupDesignWidth),
      startProgram_([](const std::string& commandLine) { StartDetached(commandLine); }),
      paintThrottle_(std::make_unique<PaintThrottle>())
{
    setObjectName(QStringLiteral("Form1"));
    ClaimMainForm(this);
    setWindowTitle(kCaption);
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    createControls();
    createMenus();
    createPopupMenu();
    createShortcuts();
    connectCommands();
    setAccessibleNames();
    log_ = std::make_unique<MemoLog>(*Memo3, *paintThrottle_);
    progress_ = std::make_unique<BarProgress>(*ProgressBar1, *paintThrottle_);
    resize(kDesignWidth, kDesignHeight);
    FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::SetCompanionWindows(QWidget* runDialog, QWidget* helpWindow)
{
    runDialog_ = runDialog;
    helpWindow_ = helpWindow;
}

void TForm1::SetProgramStarter(ProgramStarter starter)
{
    startProgram_ = std::move(starter);
}

void TForm1::createControls()
{
    Panel1 = new QLabel(kCredit, this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Panel1->setFont(QFont(QStringLiteral("Courier New"), 8));

    GroupBox2 = NewGroup(this, "GroupBox2");
    Panel3 = new QWidget(GroupBox2);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    createToolStrip(*Panel3);
    ListBox1 = new QListWidget(GroupBox2);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListBox1->setFrameStyle(QFrame::Box | QFrame::Plain);
    ListBox1->setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    ListBox1->setUniformItemSizes(true);
    ListBox1->setItemDelegate(new ListItemDelegate(ListBox1));
    ListBox1->setContextMenuPolicy(Qt::CustomContextMenu);

    Panel2 = new QWidget(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    GroupBox3 = NewGroup(Panel2, "GroupBox3", QStringLiteral(" Řetězce: "));
    createStringFields();
    createRunGroup();
    GroupBox6 = NewGroup(Panel2, "GroupBox6", QStringLiteral(" Operační log: "));
    Memo3 = new QPlainTextEdit(GroupBox6);
    Memo3->setObjectName(QStringLiteral("Memo3"));
    Memo3->setFont(QFont(QStringLiteral("Arial"), 8));
    QPalette colours = Memo3->palette();
    colours.setColor(QPalette::Base, kLogBackground);
    colours.setColor(QPalette::Text, kLogText);
    Memo3->setPalette(colours);

    OpenDialog1 = new TOpenDialog(this);
    OpenDialog1->setObjectName(QStringLiteral("OpenDialog1"));
}

void TForm1::createToolStrip(QWidget& strip)
{
    struct Tool {
        QToolButton*& button;
        const char* name;
        const char* picture;
        QString hint;
    };
    const Tool tools[] = {
        {glyphButton1, "glyphButton1", ":/add_files.png", QStringLiteral("Načte názvy souborů do seznamu")},
        {SpeedButton2, "SpeedButton2", ":/remove_current.png", QStringLiteral("Odstraní vybrané soubory ze seznamu")},
        {SpeedButton3, "SpeedButton3", ":/remove_all.png", QStringLiteral("Odstraní všechny soubory ze seznamu")},
        {SpeedButton4, "SpeedButton4", ":/view_file.png", QStringLiteral("Zobrazí soubor")},
    };
    toolHints_ = new ToolHints(this);
    int index = 0;
    for (const Tool& tool : tools) {
        tool.button = new QToolButton(&strip);
        tool.button->setObjectName(QString::fromLatin1(tool.name));
        tool.button->setIcon(QIcon(QString::fromLatin1(tool.picture)));
        tool.button->setIconSize(QSize(kToolPictureSize, kToolPictureSize));
        tool.button->setToolTip(tool.hint);
        // Tool buttons never take the focus away from the list or a field.
        tool.button->setFocusPolicy(Qt::NoFocus);
        tool.button->setGeometry(kToolButtonLefts[index++], kToolButtonTop, kToolButtonWidth, kToolButtonHeight);
        toolHints_->Attach(*tool.button);
    }
}

void TForm1::createStringFields()
{
    const QString fieldStyle = QStringLiteral("QLineEdit { border: 1px solid palette(shadow); background: palette(base); }");
    for (int pair = 1; pair <= kPairCount; ++pair) {
        const auto row = static_cast<std::size_t>(pair - 1);
        const int tops[2] = {kOriginalFieldTops[row], kReplacementFieldTops[row]};
        const int labelTops[2] = {kOriginalLabelTops[row], kReplacementFieldTops[row]};
        const QString captions[2] = {QStringLiteral("Originál :"), QStringLiteral("Náhrada:")};
        const PairFields fields = FieldsOfPair(pair);
        for (int side = 0; side < 2; ++side) {
            const int number = side == 0 ? fields.original : fields.replacement;
            auto* label = new QLabel(captions[side], GroupBox3);
            label->setObjectName(QStringLiteral("Label%1").arg(number));
            label->setAlignment(Qt::AlignRight | Qt::AlignTop);
            label->setContentsMargins(0, 0, kCaptionGap, 0);
            label->setGeometry(kLabelLeft, labelTops[side], kLabelWidth, kLabelHeight);
            QLineEdit*& field = Edits[static_cast<std::size_t>(number - 1)];
            field = new QLineEdit(GroupBox3);
            field->setObjectName(QStringLiteral("Edit%1").arg(number));
            field->setMaxLength(kFieldMaxLength);
            field->setFont(QFont(QStringLiteral("Courier New"), 10));
            field->setStyleSheet(fieldStyle);
            field->setGeometry(kFieldLeft, tops[side], kFieldDesignWidth, kFieldHeight);
            label->setBuddy(field);
        }
    }
    // The Original fields first, then the Replacements, as FieldsOfPair numbers them.
    for (std::size_t i = 0; i + 1 < Edits.size(); ++i)
        setTabOrder(Edits[i], Edits[i + 1]);
}

void TForm1::createRunGroup()
{
    GroupBox5 = NewGroup(Panel2, "GroupBox5");
    Button3 = new QPushButton(QStringLiteral("Prové&zt nahrazení"), GroupBox5);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button3->setGeometry(kRunButtonGeometry);
    ProgressBar1 = new RunProgressBar(GroupBox5);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setGeometry(kProgressBarGeometry);
    ProgressBar1->hide();
}

QAction* TForm1::addEntry(QMenu& menu, const char* name, const QString& caption, const QKeySequence& shortcut)
{
    auto* entry = new QAction(caption, this);
    entry->setObjectName(QString::fromLatin1(name));
    // Shown in the menu; the keys themselves are routed by ShortcutRouter.
    entry->setShortcut(shortcut);
    entry->setShortcutContext(Qt::WidgetShortcut);
    menu.addAction(entry);
    return entry;
}

void TForm1::createMenus()
{
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    QMenu* files = MainMenu1->addMenu(QStringLiteral("&Soubory"));
    Vybratsoubory1 = addEntry(*files, "Vybratsoubory1", QStringLiteral("&Načíst názvy souborů"), QKeySequence(Qt::CTRL | Qt::Key_O));
    mnVybratVse = addEntry(*files, "mnVybratVse", QStringLiteral("Vybr&at všechny"), QKeySequence(Qt::CTRL | Qt::Key_A));
    files->addSeparator();
    mnOdstranitVybrane = addEntry(*files, "mnOdstranitVybrane", QStringLiteral("O&dstranit vybrané"), QKeySequence(Qt::Key_Delete));
    mnOdstranitVse = addEntry(*files, "mnOdstranitVse", QStringLiteral("Odstranit &všechny"), QKeySequence(Qt::CTRL | Qt::Key_Delete));
    files->addSeparator();
    Konec1 = addEntry(*files, "Konec1", QStringLiteral("&Konec"), {});
    QMenu* view = MainMenu1->addMenu(QStringLiteral("&Zobrazit"));
    mnZobrazitSoubor = addEntry(*view, "mnZobrazitSoubor", QStringLiteral("&Označený soubor"), QKeySequence(Qt::CTRL | Qt::Key_Z));
    QMenu* help = MainMenu1->addMenu(QStringLiteral("&Nápověda"));
    Jednoduearychle1 = addEntry(*help, "Jednoduearychle1", QStringLiteral("&Jednoduše a rychle"), {});
}

void TForm1::createPopupMenu()
{
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Pidatsoubory1 = addEntry(*PopupMenu1, "Pidatsoubory1", QStringLiteral("&Přidat soubory"), {});
    PopupMenu1->addSeparator();
    mnPopUpZobrazitSoubor = addEntry(*PopupMenu1, "mnPopUpZobrazitSoubor", QStringLiteral("&Zobrazit soubor"), QKeySequence(Qt::CTRL | Qt::Key_Z));
    PopupMenu1->addSeparator();
    Vybratve1 = addEntry(*PopupMenu1, "Vybratve1", QStringLiteral("Vybr&at vše"), QKeySequence(Qt::CTRL | Qt::Key_A));
    PopupMenu1->addSeparator();
    Odsrtanitsoubor1 = addEntry(*PopupMenu1, "Odsrtanitsoubor1", QStringLiteral("&Odstranit soubor"), QKeySequence(Qt::Key_Delete));
    Odstranitve1 = addEntry(*PopupMenu1, "Odstranitve1", QStringLiteral("Od&stranit vše"), QKeySequence(Qt::CTRL | Qt::Key_Delete));

    fileCommands_ = {mnVybratVse, mnOdstranitVybrane, mnOdstranitVse, mnZobrazitSoubor,
                     mnPopUpZobrazitSoubor, Odsrtanitsoubor1, Odstranitve1};
    SetFileCommandsEnabled(false);
}

void TForm1::createShortcuts()
{
    shortcuts_ = new ShortcutRouter(*this, *ListBox1);
    shortcuts_->AddPopupEntries({mnPopUpZobrazitSoubor, Vybratve1, Odsrtanitsoubor1, Odstranitve1});
    shortcuts_->AddMainEntries({Vybratsoubory1, mnVybratVse, mnOdstranitVybrane, mnOdstranitVse, mnZobrazitSoubor});
    shortcuts_->AddButtons({Button3});
    shortcuts_->SetMenuBar(*MainMenu1);
}

void TForm1::setAccessibleNames()
{
    for (QToolButton* tool : {glyphButton1, SpeedButton2, SpeedButton3, SpeedButton4})
        tool->setAccessibleName(tool->toolTip());
    ListBox1->setAccessibleName(QStringLiteral("Seznam souborů"));
    Memo3->setAccessibleName(QStringLiteral("Operační log"));
    ProgressBar1->setAccessibleName(QStringLiteral("Průběh nahrazování"));
    GroupBox2->setAccessibleName(QStringLiteral("Soubory"));
    Panel3->setAccessibleName(QStringLiteral("Nástroje seznamu"));
    GroupBox3->setAccessibleName(QStringLiteral("Řetězce"));
    GroupBox5->setAccessibleName(QStringLiteral("Nahrazení"));
    GroupBox6->setAccessibleName(QStringLiteral("Operační log"));
    for (int pair = 1; pair <= kPairCount; ++pair) {
        Field(FieldsOfPair(pair).original)->setAccessibleName(QStringLiteral("Originál %1").arg(pair));
        Field(FieldsOfPair(pair).replacement)->setAccessibleName(QStringLiteral("Náhrada %1").arg(pair));
    }
}

// Centred on the screen by the outer size.
void TForm1::FormCreate()
{
    if (const QScreen* display = screen())
        Place(*this, display->geometry(), CentredOnMonitor);
}

// The fields and the bar are sized from the strings group as it stands
// before the left group changes, so after the window's width changes they
// reach their final widths only at the next resize or activation. The lag is
// kept on purpose, as part of the window's fixed layout rules, and it never
// lasts beyond the next resize or activation.
void TForm1::FormResize()
{
    const int stringsWidth = GroupBox3->width();
    Edits[0]->resize(stringsWidth - kFieldWidthMargin, Edits[0]->height());
    for (std::size_t i = 1; i < Edits.size(); ++i)
        Edits[i]->resize(Edits[0]->width(), Edits[i]->height());
    ProgressBar1->resize(stringsWidth - kProgressBarWidthMargin, ProgressBar1->height());
    leftGroupWidth_ = width() / 2;
    AlignControls();
}

void TForm1::FormActivate()
{
    FormResize();
}

// Places the aligned controls: the menu bar on top, the credit panel at the
// bottom, the left group at the left and the right panel in what is left;
// inside them the tool strip on top of the list, and the log and run groups
// at the bottom under the strings group.
void TForm1::AlignControls()
{
    const int menuHeight = MainMenu1->sizeHint().height();
    MainMenu1->setGeometry(0, 0, width(), menuHeight);
    QRect client(0, menuHeight, width(), height() - menuHeight);
    Panel1->setGeometry(client.left(), client.bottom() + 1 - kCreditPanelHeight, client.width(), kCreditPanelHeight);
    client.setBottom(client.bottom() - kCreditPanelHeight);
    GroupBox2->setGeometry(client.left(), client.top(), leftGroupWidth_, client.height());
    client.setLeft(client.left() + leftGroupWidth_);
    Panel2->setGeometry(client);

    const QRect left = GroupClientRect(*GroupBox2);
    Panel3->setGeometry(left.left(), left.top(), left.width(), kToolStripHeight);
    ListBox1->setGeometry(left.adjusted(0, kToolStripHeight, 0, 0));

    const int rightHeight = Panel2->height();
    GroupBox6->setGeometry(0, rightHeight - kLogGroupHeight, Panel2->width(), kLogGroupHeight);
    GroupBox5->setGeometry(0, rightHeight - kLogGroupHeight - kRunGroupHeight, Panel2->width(), kRunGroupHeight);
    GroupBox3->setGeometry(0, 0, Panel2->width(), rightHeight - kLogGroupHeight - kRunGroupHeight);
    Memo3->setGeometry(GroupClientRect(*GroupBox6));
}

void TForm1::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    AlignControls();
    FormResize();
}

void TForm1::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        FormActivate();
        if (!isEnabled())
            bringRunDialogForward();
    }
}

// Activated while disabled (a click on the greyed window under a window
// manager): the backup-and-run dialog that disabled it is what the user
// can go on with, so it comes to the front and takes the activation.
void TForm1::bringRunDialogForward()
{
    if (runDialog_ && runDialog_->isVisible()) {
        runDialog_->raise();
        runDialog_->activateWindow();
    }
}

// Showing the main window makes it the active window, whose first activation
// lays the window out; without a window manager to do that, ask for it.
void TForm1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        activateWindow();
}

// While the backup-and-run dialog is up the window is disabled and, as ever,
// cannot be closed from the outside.
void TForm1::closeEvent(QCloseEvent* event)
{
    if (!isEnabled() && event->spontaneous()) {
        event->ignore();
        return;
    }
    event->accept();
    emit Closed();
}

QString TForm1::Soubor_Nazev(int index) const
{
    if (index < 0 || index >= ListBox1->count())
        throw EStringListError(index);
    return ListBox1->item(index)->text();
}

void TForm1::ListFile(const QString& shown, const std::string& path)
{
    auto* item = new QListWidgetItem(shown);
    item->setData(kPathBytesRole, QByteArray::fromStdString(path));
    ListBox1->addItem(item);
}

// An item listed without its bytes (by its text alone) stands for the
// encoding of its text.
std::string TForm1::ListedPath(int index) const
{
    const QString shown = Soubor_Nazev(index);
    const QVariant bytes = ListBox1->item(index)->data(kPathBytesRole);
    return bytes.isValid() ? bytes.toByteArray().toStdString() : QFile::encodeName(shown).toStdString();
}

std::vector<std::string> TForm1::ListedPaths() const
{
    std::vector<std::string> paths;
    paths.reserve(static_cast<std::size_t>(ListBox1->count()));
    for (int i = 0; i < ListBox1->count(); ++i)
        paths.push_back(ListedPath(i));
    return paths;
}

QLineEdit* TForm1::Field(int number) const
{
    return Edits[static_cast<std::size_t>(number - 1)];
}

StringPair TForm1::PairTexts(int pair) const
{
    if (pair < 1 || pair > kPairCount)
        throw std::out_of_range("string pair " + std::to_string(pair));
    const QLineEdit* original = Field(FieldsOfPair(pair).original);
    const QLineEdit* replacement = Field(FieldsOfPair(pair).replacement);
    return {original->text().toLocal8Bit().toStdString(), replacement->text().toLocal8Bit().toStdString()};
}

OperationLog& TForm1::Log()
{
    return *log_;
}

void TForm1::ClearLog()
{
    Memo3->clear();
}

void TForm1::RunStarting()
{
    log_->BeginRun();
    progress_->BeginRun();
}

void TForm1::RunEnded()
{
    progress_->EndRun();
    log_->EndRun();
}

ProgressIndicator& TForm1::Progress()
{
    return *progress_;
}

// Enabled again, the window gives the focus back to the control that had it
// when the dialog came up, which disabling the window took away from it.
void TForm1::ReturnFromDialog()
{
    setEnabled(true);
    if (focusBeforeDialog_ && focusBeforeDialog_->isVisible())
        focusBeforeDialog_->setFocus(Qt::OtherFocusReason);
    raise();
    activateWindow();
}

} // namespace ravo
