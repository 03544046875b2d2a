// The help window: a column of link labels, each filling the text area with
// one fixed topic.
#include "help/help_window.h"

#include "dialogs/guard.h"
#include "dialogs/placement.h"

#include <QAction>
#include <QEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

namespace ravo {

namespace {
constexpr int kWindowWidth = 543;
constexpr int kWindowHeight = 420;
constexpr int kLinkGroupWidth = 137;
constexpr int kLinkLeft = 8;
constexpr int kLink1Top = 48;
constexpr int kLink2Top = 72;
constexpr int kLink3Top = 96;
constexpr int kTextMargin = 2;

const QColor kLinkColour(0, 0, 255);
const QColor kTextBackground(61, 150, 105);
const QColor kTextColour(128, 255, 128);
} // namespace

TForm3::TForm3()
{
    setWindowTitle(QStringLiteral("RAVO - Nápověda"));
    setFont(QFont(QStringLiteral("Arial Unicode MS"), 8));
    // Closing help must never end the program, nor keep it running once the
    // main window is gone.
    setAttribute(Qt::WA_QuitOnClose, false);

    createMenu();
    auto* central = new QWidget(this);
    auto* columns = new QHBoxLayout(central);
    columns->setContentsMargins(0, 0, 0, 0);
    columns->setSpacing(0);
    setCentralWidget(central);
    createLinkGroup();
    createTextGroup();
    columns->addWidget(GroupBox1);
    columns->addWidget(GroupBox2, 1);

    resize(kWindowWidth, kWindowHeight);
}

QStringList TForm3::UsageTopic()
{
    return {
        QStringLiteral("Použití programu:"),
        QStringLiteral("----------------------"),
        QString(),
        QStringLiteral("Program slouží k záměně až čtyř textových řetězců ve více vybraných souborech najednou."),
        QString(),
        QStringLiteral("Podporované soubory jsou pouze soubory textové povahy:"),
        QString(),
        QStringLiteral("TXT, PHP, HTM, HTML, JS, VSH, BAS, PAS, BAT a ostatní."),
    };
}

QStringList TForm3::ControlsTopic()
{
    return {
        QStringLiteral("POPIS OVLÁDACÍCH PRVKŮ:"),
        QString(),
        QStringLiteral("Seznam souborů (vlevo):"),
        QStringLiteral("----------------------"),
        QString(),
        QStringLiteral("Seznam textových souborů pro změny."),
        QStringLiteral("Pravým tlačítkem myši se zobrazí lokální menu pro seznam souborů."),
        QStringLiteral("Soubor zobrazíte dvojitým poklepáním myši na jeho název. Spustí se Notepad.exe s označeným souborem"),
        QString(),
        QStringLiteral("Řetězce (vpravo):"),
        QStringLiteral("----------------------"),
        QString(),
        QStringLiteral("Pro každý řetězec jsou dva řádky, první (Originál) se vyhledá v souboru a nahradí se druhým řádkem (Náhrada)"),
        QString(),
        QStringLiteral("Tlačítko Provést nahrazení:"),
        QStringLiteral("----------------------"),
        QString(),
        QStringLiteral("Přejdete k dialogu provedení změn, ve kterém si můžete zvolit zálohování souborů před změnou do určitého adresáře. A spouští samotný proces náhrady."),
    };
}

QStringList TForm3::AboutTopic()
{
    // The credit names the project: its address stays valid when the people
    // who work on it change.
    return {
        QStringLiteral("RAVO verze " RAVO_VERSION ":"),
        QString(),
        QStringLiteral("Prostředí:"),
        QStringLiteral("---------"),
        QString(),
        QStringLiteral(" Win32"),
        QString(),
        QStringLiteral("Autor:"),
        QStringLiteral("----------------------"),
        QString(),
        QStringLiteral(" autoři programu RAVO"),
        QStringLiteral(" email: ravo@example.org"),
        QStringLiteral("   www: https://example.org/ravo"),
    };
}

void TForm3::createMenu()
{
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Nápověda"));
    Zavt1 = help->addAction(QStringLiteral("&Zavřít"));
    Zavt1->setObjectName(QStringLiteral("Zavt1"));
    connect(Zavt1, &QAction::triggered, this, Guard([this](bool) { Zavt1Click(); }));
}

void TForm3::createLinkGroup()
{
    GroupBox1 = new QGroupBox(QStringLiteral(" Menu: "));
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setFixedWidth(kLinkGroupWidth);
    Label1 = createLinkLabel("Label1", QStringLiteral("Použítí programu"), kLink1Top);
    Label2 = createLinkLabel("Label2", QStringLiteral("Popis ovládácích prvků"), kLink2Top);
    Label3 = createLinkLabel("Label3", QStringLiteral("O progamu"), kLink3Top);
}

QLabel* TForm3::createLinkLabel(const char* name, const QString& caption, int top)
{
    auto* label = new QLabel(caption, GroupBox1);
    label->setObjectName(QLatin1String(name));
    QFont font = label->font();
    font.setUnderline(true);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, kLinkColour);
    label->setPalette(palette);
    label->move(kLinkLeft, top);
    label->adjustSize();
    // Move events without a pressed button give the hand cursor.
    label->setMouseTracking(true);
    label->installEventFilter(this);
    return label;
}

void TForm3::createTextGroup()
{
    GroupBox2 = new QGroupBox(QStringLiteral(" Vysvětlení: "));
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    Memo1 = new QPlainTextEdit(GroupBox2);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Memo1->setFrameShape(QFrame::NoFrame);
    Memo1->setFont(QFont(QStringLiteral("Courier New"), 9));
    QPalette palette = Memo1->palette();
    palette.setColor(QPalette::Base, kTextBackground);
    palette.setColor(QPalette::Text, kTextColour);
    Memo1->setPalette(palette);
    auto* fill = new QVBoxLayout(GroupBox2);
    fill->setContentsMargins(kTextMargin, kTextMargin, kTextMargin, kTextMargin);
    fill->addWidget(Memo1);
}

void TForm3::showTopic(const QStringList& lines)
{
    Memo1->clear();
    for (const QString& line : lines)
        Memo1->appendPlainText(line);
    // A topic is read from its heading, however long it is.
    Memo1->moveCursor(QTextCursor::Start);
}

void TForm3::Label1Click() { showTopic(UsageTopic()); }
void TForm3::Label2Click() { showTopic(ControlsTopic()); }
void TForm3::Label3Click() { showTopic(AboutTopic()); }

void TForm3::Label1MouseMove() { Label1->setCursor(Qt::PointingHandCursor); }
void TForm3::Label2MouseMove() { Label2->setCursor(Qt::PointingHandCursor); }
void TForm3::Label3MouseMove() { Label3->setCursor(Qt::PointingHandCursor); }

void TForm3::Label1MouseLeave() { Label1->unsetCursor(); }
void TForm3::Label2MouseLeave() { Label2->unsetCursor(); }
void TForm3::Label3MouseLeave() { Label3->unsetCursor(); }

void TForm3::FormActivate()
{
    Place(*this, QGuiApplication::primaryScreen()->geometry(), CentredByHalves);
    Label2Click();
}

void TForm3::Zavt1Click() { hide(); }

// Shown by the help command, the window becomes the active one, as the
// user expects of a window just opened; its activation then centres it and
// shows its first topic, with or without a window manager.
void TForm3::showEvent(QShowEvent* event)
{
    // Placed before it appears as its activation will place it, so that it
    // does not first show up elsewhere and then jump.
    if (!event->spontaneous())
        Place(*this, QGuiApplication::primaryScreen()->geometry(), CentredByHalves);
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        activateWindow();
}

bool TForm3::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate)
        Guard([this] { FormActivate(); })();
    return QMainWindow::event(event);
}

bool TForm3::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Label1 || watched == Label2 || watched == Label3) {
        auto* label = static_cast<QLabel*>(watched);
        Guard([this, label, event] { handleLinkEvent(label, event); })();
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm3::handleLinkEvent(QLabel* label, QEvent* event)
{
    struct Link {
        QLabel* label;
        void (TForm3::*click)();
        void (TForm3::*mouseMove)();
        void (TForm3::*mouseLeave)();
    };
    const Link links[] = {
        {Label1, &TForm3::Label1Click, &TForm3::Label1MouseMove, &TForm3::Label1MouseLeave},
        {Label2, &TForm3::Label2Click, &TForm3::Label2MouseMove, &TForm3::Label2MouseLeave},
        {Label3, &TForm3::Label3Click, &TForm3::Label3MouseMove, &TForm3::Label3MouseLeave},
    };
    for (const Link& link : links) {
        if (link.label != label)
            continue;
        switch (event->type()) {
        case QEvent::MouseMove:
            (this->*link.mouseMove)();
            break;
        case QEvent::Leave:
            (this->*link.mouseLeave)();
            break;
        case QEvent::MouseButtonRelease: {
            // A click is a left-button release over the label.
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton && label->rect().contains(mouse->position().toPoint()))
                (this->*link.click)();
            break;
        }
        default:
            break;
        }
    }
}

} // namespace ravo
