// The backup-and-run dialog: a white window with the backup picture, the
// backup check box, the folder chooser shown only while the box is ticked,
// and the continue and cancel buttons.
#include "backup/backup_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QWindow>

#include <utility>

#include "backup/directory_list_box.h"
#include "backup/drive_combo_box.h"
#include "backup/folder_chooser.h"
#include "dialogs/guard.h"
#include "dialogs/placement.h"
#include "resources/resources.h"
#include "run/run.h"
#include "run/run_host.h"

namespace ravo {

namespace {

constexpr int kWidth = 484;
constexpr int kFirstHeight = 119;
constexpr int kCompactHeight = 118;
constexpr int kExtendedHeight = 300;
constexpr int kCompactButtonTop = 55;
constexpr int kExtendedButtonTop = 240;
constexpr int kButton1Left = 144;
constexpr int kButton2Left = 256;
constexpr QSize kButtonSize(89, 25);
constexpr QRect kImageGeometry(32, 16, 49, 49);
constexpr QRect kCheckBoxGeometry(136, 16, 225, 17);
// The folder chooser, shown below the check box while it is ticked.
constexpr int kChooserLeft = 96;
constexpr int kChooserWidth = 365;
constexpr QPoint kDriveLabelAt(kChooserLeft, 48);
constexpr QRect kDriveGeometry(kChooserLeft, 64, kChooserWidth, 20);
constexpr QPoint kFolderLabelAt(kChooserLeft, 88);
constexpr QRect kFolderGeometry(kChooserLeft, 104, kChooserWidth, 129);

} // namespace

// A title bar without any buttons: no close box, no system menu, no minimise
// or maximise box.
TForm2::TForm2(RunHost& host, QWidget* owner)
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), host_(host), owner_(owner)
{
    setWindowTitle(QStringLiteral("Zálohovat soubory před změnou do specifikovaného adresáře?"));
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(11);
    setFont(font);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);
    setFixedSize(kWidth, kFirstHeight);
    createControls();
    connectHandlers();
}

void TForm2::createControls()
{
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(kImageGeometry);
    Image1->setScaledContents(true);
    Image1->setPixmap(Picture(QStringLiteral(":/backup.png")));

    CheckBox1 = new QCheckBox(QStringLiteral("&Zálohovat soubory před změnou?"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setGeometry(kCheckBoxGeometry);

    DirectoryListBox1 = new TDirectoryListBox(this);
    DirectoryListBox1->setObjectName(QStringLiteral("DirectoryListBox1"));
    DirectoryListBox1->setGeometry(kFolderGeometry);
    DriveComboBox1 = new TDriveComboBox(this);
    DriveComboBox1->setObjectName(QStringLiteral("DriveComboBox1"));
    DriveComboBox1->setGeometry(kDriveGeometry);
    ConnectChooser(*DriveComboBox1, *DirectoryListBox1);

    Label1 = new QLabel(QStringLiteral("&Disk:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(kDriveLabelAt);
    Label1->setBuddy(DriveComboBox1);
    Label2 = new QLabel(QStringLiteral("&Složka:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->move(kFolderLabelAt);
    Label2->setBuddy(DirectoryListBox1);

    Button1 = new QPushButton(QStringLiteral("&Pokračovat"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(QStringLiteral("Zr&ušit"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    for (QPushButton* button : {Button1, Button2}) {
        // Enter and Escape mean nothing special here.
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    Button1->setGeometry(QRect(QPoint(kButton1Left, kCompactButtonTop), kButtonSize));
    Button2->setGeometry(QRect(QPoint(kButton2Left, kCompactButtonTop), kButtonSize));

    for (QLabel* label : {Label1, Label2})
        label->adjustSize();
    setFolderControlsVisible(false);
    setTabOrder(CheckBox1, DriveComboBox1);
    setTabOrder(DriveComboBox1, DirectoryListBox1);
    setTabOrder(DirectoryListBox1, Button1);
    setTabOrder(Button1, Button2);
}

void TForm2::connectHandlers()
{
    connect(CheckBox1, &QCheckBox::toggled, this, Guard([this](bool) { CheckBox1Click(); }));
    connect(Button1, &QPushButton::clicked, this, Guard([this](bool) { Button1Click(); }));
    connect(Button2, &QPushButton::clicked, this, Guard([this](bool) { Button2Click(); }));
}

void TForm2::setFolderControlsVisible(bool visible)
{
    for (QWidget* control : std::initializer_list<QWidget*>{DriveComboBox1, DirectoryListBox1, Label1, Label2})
        control->setVisible(visible);
}

void TForm2::CheckBox1Click()
{
    const bool ticked = CheckBox1->isChecked();
    // The selector first: filling it hands the folder list its volumes.
    setFolderControlsVisible(ticked);
    setFixedSize(kWidth, ticked ? kExtendedHeight : kCompactHeight);
    const int top = ticked ? kExtendedButtonTop : kCompactButtonTop;
    Button1->move(kButton1Left, top);
    Button2->move(kButton2Left, top);
}

void TForm2::FormShow()
{
    // The height is still the one the dialog had when it was last left, so
    // after a run with backups the compact dialog comes up higher.
    const QScreen* display = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    Place(*this, display->geometry(), BottomOnTheMiddle);
}

void TForm2::FormActivate()
{
    CheckBox1->setChecked(false);
    DirectoryListBox1->hide();
    DriveComboBox1->hide();
}

void TForm2::Button1Click()
{
    hide();
    host_.ReturnFromDialog();
    host_.ClearLog();
    host_.RunStarting();
    const auto runEnded = qScopeGuard([this] { host_.RunEnded(); });
    const std::optional<std::string> folder =
        CheckBox1->isChecked() ? std::optional(DirectoryListBox1->FolderPath()) : std::nullopt;
    RunReplacements(host_.ListedPaths(), folder, [this](int pair) { return host_.PairTexts(pair); }, host_.Log(),
                  host_.Progress());
}

void TForm2::Button2Click()
{
    host_.ReturnFromDialog();
    hide();
}

// Transient for the main window: the window manager keeps the dialog above
// it, raises the two together and minimises them together, so a click on
// the greyed window can never hide the dialog behind it.
void TForm2::belongToOwner()
{
    QWidget* owner = owner_ ? owner_->window() : nullptr;
    if (owner != nullptr && owner->windowHandle() != nullptr && windowHandle() != nullptr)
        windowHandle()->setTransientParent(owner->windowHandle());
}

void TForm2::showEvent(QShowEvent* event)
{
    belongToOwner();
    leftForGreyedOwner_ = false;
    Guard([this] { FormShow(); })();
    QWidget::showEvent(event);
    // The dialog comes up as the active window, over the main window that
    // disables itself; its activation resets the check box.
    if (!event->spontaneous())
        activateWindow();
}

// The greyed main window sends the activation straight back when it is
// clicked; the dialog was never really left then, so its tick stays.
bool TForm2::event(QEvent* event)
{
    if (event->type() == QEvent::WindowDeactivate) {
        QWidget* owner = owner_ ? owner_->window() : nullptr;
        leftForGreyedOwner_ = owner != nullptr && !owner->isEnabled() && QApplication::activeWindow() == owner;
    } else if (event->type() == QEvent::WindowActivate) {
        if (!std::exchange(leftForGreyedOwner_, false))
            Guard([this] { FormActivate(); })();
    }
    return QWidget::event(event);
}

void TForm2::closeEvent(QCloseEvent* event)
{
    // The title bar offers no close box, but a window manager can still close
    // the dialog (Alt+F4); that counts as cancel, so the main window does not
    // stay disabled behind a dialog that is gone.
    if (isVisible())
        Guard([this] { Button2Click(); })();
    event->accept();
}

} // namespace ravo
