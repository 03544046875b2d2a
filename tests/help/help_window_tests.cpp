// The help window: its topics, the link labels, re-centring on activation
// and hiding.
#include "help/help_window.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>

#include "tests/support/qt_printers.h"

namespace ravo {
namespace {

QStringList shownLines(const QPlainTextEdit* memo)
{
    return memo->toPlainText().split(QLatin1Char('\n'));
}

bool activate(QWidget* window)
{
    window->show();
    window->raise();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

class HelpWindow : public ::testing::Test {
protected:
    void SetUp() override { form = std::make_unique<TForm3>(); }
    void TearDown() override { form.reset(); }

    QLabel* label(int n) const { return form->findChild<QLabel*>(QStringLiteral("Label%1").arg(n)); }
    QPlainTextEdit* memo() const { return form->findChild<QPlainTextEdit*>(QStringLiteral("Memo1")); }

    std::unique_ptr<TForm3> form;
};

TEST_F(HelpWindow, ControlsAreFoundByName)
{
    EXPECT_EQ(form->windowTitle(), QStringLiteral("RAVO - Nápověda"));
    ASSERT_NE(form->findChild<QGroupBox*>(QStringLiteral("GroupBox1")), nullptr);
    ASSERT_NE(form->findChild<QGroupBox*>(QStringLiteral("GroupBox2")), nullptr);
    EXPECT_EQ(form->findChild<QGroupBox*>(QStringLiteral("GroupBox1"))->title(), QStringLiteral(" Menu: "));
    EXPECT_EQ(form->findChild<QGroupBox*>(QStringLiteral("GroupBox2"))->title(), QStringLiteral(" Vysvětlení: "));
    ASSERT_NE(memo(), nullptr);
    ASSERT_NE(form->findChild<QAction*>(QStringLiteral("Zavt1")), nullptr);
    EXPECT_EQ(form->findChild<QAction*>(QStringLiteral("Zavt1"))->text(), QStringLiteral("&Zavřít"));
    const QList<QAction*> menus = form->menuBar()->actions();
    ASSERT_EQ(menus.size(), 1);
    EXPECT_EQ(menus[0]->text(), QStringLiteral("&Nápověda"));
}

TEST_F(HelpWindow, LinkLabelsStandWhereDesignedAndLookLikeLinks)
{
    struct Case {
        int n;
        QString caption;
        QPoint pos;
    };
    const Case cases[] = {
        {1, QStringLiteral("Použítí programu"), {8, 48}},
        {2, QStringLiteral("Popis ovládácích prvků"), {8, 72}},
        {3, QStringLiteral("O progamu"), {8, 96}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n);
        QLabel* link = label(c.n);
        ASSERT_NE(link, nullptr);
        EXPECT_EQ(link->text(), c.caption);
        EXPECT_EQ(link->parentWidget()->objectName(), QStringLiteral("GroupBox1"));
        EXPECT_EQ(link->pos(), c.pos);
        EXPECT_TRUE(link->font().underline());
        EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        // The whole caption is visible inside the group's width.
        EXPECT_LE(link->x() + link->sizeHint().width(), link->parentWidget()->width());
    }
}

TEST_F(HelpWindow, EachLinkShowsItsTopicLineForLine)
{
    struct Case {
        int n;
        QStringList topic;
        qsizetype lineCount;
        qsizetype probe;
        QString probeText;
    };
    const Case cases[] = {
        {1, TForm3::UsageTopic(), 8, 7, QStringLiteral("TXT, PHP, HTM, HTML, JS, VSH, BAS, PAS, BAT a ostatní.")},
        {2, TForm3::ControlsTopic(), 18, 0, QStringLiteral("POPIS OVLÁDACÍCH PRVKŮ:")},
        {3, TForm3::AboutTopic(), 13, 5, QStringLiteral(" Win32")},
    };
    // Start from another topic each time so that a click that changed
    // nothing cannot pass.
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n);
        QTest::mouseClick(label(c.n == 3 ? 1 : 3), Qt::LeftButton);
        ASSERT_NE(shownLines(memo()), c.topic);
        QTest::mouseClick(label(c.n), Qt::LeftButton);
        EXPECT_EQ(c.topic.size(), c.lineCount);
        EXPECT_EQ(shownLines(memo()), c.topic);
        EXPECT_EQ(shownLines(memo()).value(c.probe), c.probeText);
    }
}

TEST_F(HelpWindow, TopicsKeepTheirEmptyLinesAndExactWording)
{
    struct Case {
        QStringList topic;
        qsizetype line;
        QString text;
    };
    const Case cases[] = {
        {TForm3::UsageTopic(), 0, QStringLiteral("Použití programu:")},
        {TForm3::UsageTopic(), 1, QStringLiteral("----------------------")},
        {TForm3::UsageTopic(), 2, QString()},
        {TForm3::ControlsTopic(), 7, QStringLiteral("Soubor zobrazíte dvojitým poklepáním myši na jeho název. Spustí se Notepad.exe s označeným souborem")},
        {TForm3::ControlsTopic(), 8, QString()},
        {TForm3::ControlsTopic(), 17, QStringLiteral("Přejdete k dialogu provedení změn, ve kterém si můžete zvolit zálohování souborů před změnou do určitého adresáře. A spouští samotný proces náhrady.")},
        {TForm3::AboutTopic(), 0, QStringLiteral("RAVO verze " RAVO_VERSION ":")},
        {TForm3::AboutTopic(), 3, QStringLiteral("---------")},
        {TForm3::AboutTopic(), 10, QStringLiteral(" autoři programu RAVO")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(c.topic.value(c.line, QStringLiteral("<missing>")), c.text);
    }
}

TEST_F(HelpWindow, AboutTopicContactLinesKeepTheirPrefixes)
{
    const QStringList about = TForm3::AboutTopic();
    ASSERT_EQ(about.size(), 13);
    EXPECT_TRUE(about[11].startsWith(QStringLiteral(" email: ")));
    EXPECT_GT(about[11].size(), 8);
    EXPECT_TRUE(about[12].startsWith(QStringLiteral("   www: ")));
    EXPECT_GT(about[12].size(), 8);
}

TEST_F(HelpWindow, ClickOutsideTheLabelOrWithAnotherButtonChangesNothing)
{
    QTest::mouseClick(label(1), Qt::LeftButton);
    const QStringList before = shownLines(memo());
    QTest::mouseClick(label(3), Qt::RightButton);
    EXPECT_EQ(shownLines(memo()), before);
    // Pressed on the label, released outside it.
    QTest::mousePress(label(3), Qt::LeftButton);
    QTest::mouseRelease(label(3), Qt::LeftButton, {}, QPoint(-5, -5));
    EXPECT_EQ(shownLines(memo()), before);
}

TEST_F(HelpWindow, TextAreaIsReadOnly)
{
    ASSERT_TRUE(activate(form.get()));
    const QString before = memo()->toPlainText();
    ASSERT_FALSE(before.isEmpty());
    memo()->setFocus();
    QTest::keyClicks(memo(), QStringLiteral("xyz"));
    QTest::keyClick(memo(), Qt::Key_Backspace);
    QTest::keyClick(memo(), Qt::Key_Delete);
    QTest::keyClick(memo(), Qt::Key_Return);
    EXPECT_TRUE(memo()->isReadOnly());
    EXPECT_EQ(memo()->toPlainText(), before);
}

TEST_F(HelpWindow, TextAreaColoursAndFont)
{
    EXPECT_EQ(memo()->palette().color(QPalette::Base), QColor(61, 150, 105));
    EXPECT_EQ(memo()->palette().color(QPalette::Text), QColor(128, 255, 128));
    EXPECT_EQ(memo()->font().family(), QStringLiteral("Courier New"));
    EXPECT_EQ(memo()->font().pointSize(), 9);
    EXPECT_EQ(memo()->frameShape(), QFrame::NoFrame);
}

TEST_F(HelpWindow, HandCursorOnlyWhileTheMouseIsOverALink)
{
    for (int n = 1; n <= 3; ++n) {
        SCOPED_TRACE(n);
        QLabel* link = label(n);
        EXPECT_FALSE(link->testAttribute(Qt::WA_SetCursor));
        QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), link->mapToGlobal(QPointF(3, 3)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(link, &move);
        EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(link, &leave);
        EXPECT_FALSE(link->testAttribute(Qt::WA_SetCursor));
        EXPECT_EQ(link->cursor().shape(), Qt::ArrowCursor);
    }
}

TEST_F(HelpWindow, ShowingOpensOnTheControlsTopic)
{
    QTest::mouseClick(label(1), Qt::LeftButton);
    ASSERT_EQ(shownLines(memo()), TForm3::UsageTopic());
    ASSERT_TRUE(activate(form.get()));
    EXPECT_EQ(shownLines(memo()), TForm3::ControlsTopic());
    // Read from the heading down, not scrolled to the end.
    EXPECT_EQ(memo()->textCursor().position(), 0);
}

TEST_F(HelpWindow, EveryActivationRecentresAndShowsTheControlsTopic)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    ASSERT_EQ(screen.width() % 2, 0);
    ASSERT_EQ(screen.height() % 2, 0);
    const QPoint centre(screen.x() + screen.width() / 2, screen.y() + screen.height() / 2);
    // Each half truncates on its own: 545 wide on an 800 wide screen gives
    // 400 - 272 = 128, not (800 - 545) / 2 = 127.
    struct Case {
        QSize size; // outer
        QPoint halfSize;
    };
    const Case cases[] = {
        {{543, 420}, {271, 210}},
        {{545, 421}, {272, 210}},
        {{300, 201}, {150, 100}},
    };
    QWidget other;
    other.resize(100, 100);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size.width());
        ASSERT_TRUE(activate(form.get()));
        // The rule works on the outer size, frame included.
        form->resize(c.size - (form->frameGeometry().size() - form->size()));
        ASSERT_EQ(form->frameGeometry().size(), c.size);
        form->move(3, 7);
        QTest::mouseClick(label(1), Qt::LeftButton);
        ASSERT_EQ(shownLines(memo()), TForm3::UsageTopic());

        ASSERT_TRUE(activate(&other));
        EXPECT_EQ(form->pos(), QPoint(3, 7));
        ASSERT_TRUE(activate(form.get()));
        EXPECT_EQ(form->frameGeometry().topLeft(), centre - c.halfSize);
        EXPECT_EQ(shownLines(memo()), TForm3::ControlsTopic());
    }
}

TEST_F(HelpWindow, DesignSize)
{
    EXPECT_EQ(form->size(), QSize(543, 420));
    EXPECT_EQ(form->findChild<QGroupBox*>(QStringLiteral("GroupBox1"))->width(), 137);
}

TEST_F(HelpWindow, CloseHidesAndShowingAgainWorks)
{
    struct Case {
        const char* how;
        void (*close)(TForm3&);
    };
    const Case cases[] = {
        {"menu entry", [](TForm3& f) { f.findChild<QAction*>(QStringLiteral("Zavt1"))->trigger(); }},
        {"close box", [](TForm3& f) { f.close(); }},
    };
    // The help command is given in the main window, which is active then.
    QWidget mainWindow;
    mainWindow.resize(100, 100);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        ASSERT_TRUE(activate(form.get()));
        QTest::mouseClick(label(3), Qt::LeftButton);
        ASSERT_EQ(shownLines(memo()), TForm3::AboutTopic());
        c.close(*form);
        EXPECT_FALSE(form->isVisible());
        ASSERT_TRUE(activate(&mainWindow));
        ASSERT_TRUE(activate(form.get()));
        EXPECT_EQ(shownLines(memo()), TForm3::ControlsTopic());
    }
}

TEST_F(HelpWindow, ClosingItNeverEndsTheProgram)
{
    // Even as the only window on screen: only closing the main window ends
    // the program. The event loop runs until our own exit code stops it,
    // unless closing help made the application quit first.
    ASSERT_TRUE(activate(form.get()));
    QTimer::singleShot(0, form.get(), [this] { form->close(); });
    QTimer::singleShot(300, qApp, [] { QCoreApplication::exit(7); });
    EXPECT_EQ(QApplication::exec(), 7);
    EXPECT_FALSE(form->isVisible());
}

} // namespace
} // namespace ravo
