// The main window's keys and hints, what a run reads and writes through it,
// and how assistive technology finds its controls.
#include "tests/app/main_window_fixture.h"

#include <QAccessible>
#include <QDialog>
#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTextDocument>
#include <QThread>
#include <QToolTip>
#include <QTranslator>

#include "dialogs/message_form.h"
#include "app/paint_throttle.h"
#include "app/run_progress_bar.h"
#include "app/toolkit_translations.h"
#include "engine/exception.h"

namespace ravo::testing {
namespace {

// ---- Shortcut keys --------------------------------------------------------

class MainWindowKeys : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        ShowActive();
    }

    void Press(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        target->setFocus();
        ASSERT_TRUE(WaitFor([&] { return target->hasFocus(); }));
        QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
    }

    void TypeInto(QLineEdit* field, const QString& text)
    {
        field->setText(text);
        field->setCursorPosition(1);
    }
};

// At start the file commands are disabled: their keys are taken all the
// same and do nothing, so the field keeps its text.
TEST_F(MainWindowKeys, DisabledEntriesStillTakeTheirKeysFromTheFields)
{
    AddWithMenu({"a.txt", "b.txt"});
    struct Case {
        int key;
        Qt::KeyboardModifiers modifiers;
    };
    const Case cases[] = {
        {Qt::Key_Delete, Qt::NoModifier},
        {Qt::Key_Delete, Qt::KeypadModifier},
        {Qt::Key_A, Qt::ControlModifier},
        {Qt::Key_Z, Qt::ControlModifier},
        {Qt::Key_Delete, Qt::ControlModifier},
    };
    for (const Case& c : cases) {
        for (int n : {1, 6}) {
            TypeInto(Edit(n), QStringLiteral("abc"));
            Edit(n)->insert(QStringLiteral("x")); // something to undo
            Press(Edit(n), c.key, c.modifiers);
            EXPECT_EQ(Edit(n)->text(), QStringLiteral("axbc")) << "key " << c.key << " in Edit" << n;
            EXPECT_FALSE(Edit(n)->hasSelectedText()) << "key " << c.key << " in Edit" << n;
        }
    }
    EXPECT_EQ(List()->count(), 2);
    EXPECT_TRUE(List()->selectedItems().isEmpty());
    EXPECT_TRUE(started_.empty());
}

TEST_F(MainWindowKeys, DelInAFieldRemovesTheListsCurrentFileOnceEnabled)
{
    AddWithTool({"a.txt", "b.txt", "c.txt"});
    List()->setCurrentRow(1);
    TypeInto(Edit(3), QStringLiteral("abc"));
    Press(Edit(3), Qt::Key_Delete);
    EXPECT_EQ(Edit(3)->text(), QStringLiteral("abc"));
    EXPECT_EQ(Items(), (QStringList{PathOf("a.txt"), PathOf("c.txt")}));

    Press(Edit(3), Qt::Key_Z, Qt::ControlModifier);
    ASSERT_EQ(started_.size(), 1u);
    EXPECT_EQ(started_[0].rfind("notepad.exe ", 0), 0u);

    Press(Edit(3), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(List()->selectedItems().size(), 2);
    EXPECT_FALSE(Edit(3)->hasSelectedText());
}

TEST_F(MainWindowKeys, TheLogNeverSeesTheMenuKeys)
{
    auto* memo = Child<QPlainTextEdit>("Memo3");
    memo->setPlainText(QStringLiteral("line one"));
    QTextCursor cursor = memo->textCursor();
    cursor.setPosition(0);
    memo->setTextCursor(cursor);
    for (int key : {int(Qt::Key_Delete)})
        Press(memo, key);
    Press(memo, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("line one"));
    EXPECT_FALSE(memo->textCursor().hasSelection());
    // Keys of no entry still reach it.
    Press(memo, Qt::Key_X);
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("xline one"));
}

// While the list has the focus its pop-up menu comes first: its select-all
// entry is always enabled, the main menu's is not.
TEST_F(MainWindowKeys, ThePopupMenuAnswersFirstWhileTheListHasTheFocus)
{
    AddWithMenu({"a.txt", "b.txt", "c.txt"});
    Press(Edit(1), Qt::Key_A, Qt::ControlModifier);
    EXPECT_TRUE(List()->selectedItems().isEmpty());
    Press(List(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(List()->selectedItems().size(), 3);
    Press(List(), Qt::Key_Delete);
    EXPECT_EQ(List()->count(), 3) << "the pop-up's remove entry is disabled";
}

TEST_F(MainWindowKeys, OtherKeysReachTheFieldsAsUsual)
{
    TypeInto(Edit(2), QStringLiteral("abc"));
    Press(Edit(2), Qt::Key_Backspace);
    Press(Edit(2), Qt::Key_Q);
    Press(Edit(2), Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Edit(2)->text(), QStringLiteral("qbc"));
}

TEST_F(MainWindowKeys, CtrlOAddsFilesFromAnywhere)
{
    ChooseNext({"b.txt"});
    Press(Edit(5), Qt::Key_O, Qt::ControlModifier);
    ChooseNext({"c.txt"});
    Press(List(), Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(Items(), (QStringList{PathOf("b.txt"), PathOf("c.txt")}));
    EXPECT_EQ(FileCommandsState(), All(false));
}

// While the backup-and-run dialog is up the window is disabled, and while a
// modal box is up it is blocked: then no key runs any of its commands, not
// even with every file command enabled.
TEST_F(MainWindowKeys, ADisabledOrBlockedWindowRunsNoCommandByKey)
{
    AddWithTool({"a.txt", "b.txt"});
    List()->setCurrentRow(0);
    List()->clearSelection();
    int dialogsOpened = 0;
    form_->findChild<TOpenDialog*>(QStringLiteral("OpenDialog1"))->SetRunner([&](QFileDialog&) {
        ++dialogsOpened;
        return false;
    });
    int questions = 0;
    ModalWatch<TMessageForm> answerNo([&](TMessageForm& box) {
        ++questions;
        box.reject();
    });
    answerNo.Start();
    QSignalSpy runPressed(Child<QPushButton>(QStringLiteral("Button3")), &QPushButton::clicked);
    auto* menuBar = Child<QMenuBar>(QStringLiteral("MainMenu1"));

    struct Key {
        const char* name;
        int key;
        Qt::KeyboardModifiers modifiers;
    };
    const Key keys[] = {
        {"Ctrl+O", Qt::Key_O, Qt::ControlModifier}, {"Del", Qt::Key_Delete, Qt::NoModifier},
        {"Ctrl+Del", Qt::Key_Delete, Qt::ControlModifier}, {"Ctrl+Z", Qt::Key_Z, Qt::ControlModifier},
        {"Ctrl+A", Qt::Key_A, Qt::ControlModifier}, {"Alt+Z", Qt::Key_Z, Qt::AltModifier},
        {"F10", Qt::Key_F10, Qt::NoModifier},
    };
    const auto pressAll = [&](const char* state) {
        for (const Key& k : keys) {
            for (QWidget* target : std::initializer_list<QWidget*>{Edit(1), List()}) {
                QTest::keyClick(target, static_cast<Qt::Key>(k.key), k.modifiers);
                EXPECT_EQ(dialogsOpened, 0) << k.name << " while " << state;
                EXPECT_EQ(questions, 0) << k.name << " while " << state;
                EXPECT_EQ(List()->count(), 2) << k.name << " while " << state;
                EXPECT_TRUE(List()->selectedItems().isEmpty()) << k.name << " while " << state;
                EXPECT_TRUE(started_.empty()) << k.name << " while " << state;
                EXPECT_EQ(menuBar->activeAction(), nullptr) << k.name << " while " << state;
            }
        }
        QTest::qWait(200); // longer than a button's animated click
        EXPECT_EQ(runPressed.count(), 0) << "Alt+Z while " << state;
    };

    Child<QPushButton>(QStringLiteral("Button3"))->click();
    runPressed.clear();
    ASSERT_FALSE(form_->isEnabled());
    pressAll("the backup-and-run dialog is up");
    form_->ReturnFromDialog();
    runDialog_.hide();

    QDialog box;
    box.setWindowModality(Qt::ApplicationModal);
    box.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &box);
    pressAll("a box is up");
    box.hide();

    // Enabled and unblocked, the same keys act again.
    QTest::keyClick(Edit(1), Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(dialogsOpened, 1);
}

// The run button "Prové&zt nahrazení" and the menu "&Zobrazit" share the
// letter Z: Alt+Z presses the button at once, wherever the focus is, and
// leaves the menu closed.
TEST_F(MainWindowKeys, AltZPressesTheRunButtonWhereverTheFocusIs)
{
    AddWithMenu({"a.txt"});
    for (QWidget* from : std::initializer_list<QWidget*>{Edit(1), Edit(8), List()}) {
        SCOPED_TRACE(from->objectName().toStdString());
        Press(from, Qt::Key_Z, Qt::AltModifier);
        EXPECT_TRUE(WaitFor([this] { return runDialog_.isVisible(); })) << "the run button was pressed";
        EXPECT_FALSE(form_->isEnabled());
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << "no menu opened";
        form_->ReturnFromDialog();
        runDialog_.hide();
    }
}

// The menu "&Zobrazit" stays reachable from the keyboard: F10, or a lone
// Alt, puts the menu bar into keyboard mode; Right moves to "Zobrazit" and
// Down opens it.
TEST_F(MainWindowKeys, TheViewMenuIsReachedWithF10OrAltAndTheArrows)
{
    struct Opener {
        const char* name;
        std::function<void(QWidget*)> press;
    };
    const Opener openers[] = {
        {"F10", [](QWidget* target) { QTest::keyClick(target, Qt::Key_F10); }},
        {"Alt", [](QWidget* target) {
             QTest::keyPress(target, Qt::Key_Alt);
             QTest::keyRelease(target, Qt::Key_Alt, Qt::AltModifier);
         }},
    };
    for (const Opener& opener : openers) {
        SCOPED_TRACE(opener.name);
        Press(Edit(1), Qt::Key_Shift); // just the focus into a field
        opener.press(Edit(1));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        ASSERT_TRUE(WaitFor([] { return QApplication::activePopupWidget() != nullptr; }));
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(menu->title(), QStringLiteral("&Zobrazit"));
        menu->close();
        QTest::keyClick(Child<QMenuBar>(QStringLiteral("MainMenu1")), Qt::Key_Escape);
        EXPECT_TRUE(WaitFor([] { return QApplication::activePopupWidget() == nullptr; }));
    }
}

// ---- Tool hints -----------------------------------------------------------

TEST_F(MainWindowKeys, ToolHintAppearsAfterHalfASecondAndGoesAfterTwoAndAHalf)
{
    QToolButton* button = Tool("SpeedButton3");
    const QPoint centre = button->rect().center();
    QEnterEvent enter(centre, button->mapTo(form_, centre), button->mapToGlobal(centre));
    QElapsedTimer clock;
    clock.start();
    QApplication::sendEvent(button, &enter);
    QTest::qWait(300);
    if (clock.elapsed() < 450) {
        EXPECT_FALSE(QToolTip::isVisible()) << "too early";
    }
    ASSERT_TRUE(WaitFor([] { return QToolTip::isVisible(); }, 2000));
    const qint64 shownAt = clock.elapsed();
    EXPECT_GE(shownAt, 480);
    EXPECT_LE(shownAt, 1500);
    EXPECT_EQ(QToolTip::text(), QStringLiteral("Odstraní všechny soubory ze seznamu"));
    ASSERT_TRUE(WaitFor([] { return !QToolTip::isVisible(); }, 4000));
    EXPECT_GE(clock.elapsed() - shownAt, 2300);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(button, &leave);
}

// ---- What a run reads and writes -----------------------------------------

TEST_F(MainWindowTest, RunReadsTheListedPathsAndPairsAsBytes)
{
    QFile czech(folder_.filePath(QStringLiteral("žluťoučký kůň.txt")));
    ASSERT_TRUE(czech.open(QIODevice::WriteOnly));
    const std::string codePage = MakeCodePageFile();
    AddWithMenu({"a.txt", "žluťoučký kůň.txt"});
    AddWithMenu({"a.txt"});
    AddWithMenu({kCodePageTyped});
    // Listed by other means than the dialog: its text stands for its path.
    List()->addItem(PathOf("b.txt"));
    const std::vector<std::string> paths = form_->ListedPaths();
    ASSERT_EQ(paths.size(), 5u);
    EXPECT_EQ(paths[0], QFile::encodeName(PathOf("a.txt")).toStdString());
    EXPECT_EQ(paths[1], QFile::encodeName(czech.fileName()).toStdString());
    EXPECT_EQ(paths[1], QDir(folder_.path()).absolutePath().toStdString() + "/\xc5\xbelu\xc5\xa5ou\xc4\x8dk\xc3\xbd k\xc5\xaf\xc5\x88.txt");
    EXPECT_EQ(paths[2], paths[0]);
    EXPECT_EQ(paths[3], codePage) << "a name that is not UTF-8 keeps its bytes";
    EXPECT_EQ(Items()[3], PathOf(kCodePageTyped)) << "and shows as the dialog showed it";
    EXPECT_EQ(paths[4], QFile::encodeName(PathOf("b.txt")).toStdString());

    const QString texts[8] = {"č1", "o2", "", "o4", "n1", "n2", "n3", ""};
    for (int n = 1; n <= 8; ++n)
        Edit(n)->setText(texts[n - 1]);
    struct Expected {
        int pair;
        std::string search;
        std::string replacement;
    };
    const Expected pairs[] = {{1, "\xc4\x8d" "1", "n1"}, {2, "o2", "n2"}, {3, "", "n3"}, {4, "o4", ""}};
    for (const Expected& e : pairs) {
        const StringPair pair = form_->PairTexts(e.pair);
        EXPECT_EQ(pair.search, e.search) << "pair " << e.pair;
        EXPECT_EQ(pair.replacement, e.replacement) << "pair " << e.pair;
    }
    EXPECT_THROW(form_->PairTexts(0), std::exception);
    EXPECT_THROW(form_->PairTexts(5), std::exception);
}

TEST_F(MainWindowTest, LogLinesGoAtTheEndOnLinesOfTheirOwn)
{
    auto* memo = Child<QPlainTextEdit>("Memo3");
    struct Case {
        QString before;
        std::vector<std::string> lines;
        QString after;
    };
    const Case cases[] = {
        {"", {"Nezálohuji soubory."}, "Nezálohuji soubory.\n"},
        {"", {"a", "b"}, "a\nb\n"},
        {"typed by hand", {"Modifikuji soubor /x/č.txt"}, "typed by hand\nModifikuji soubor /x/č.txt\n"},
        {"ends with a break\n", {"x"}, "ends with a break\nx\n"},
        {"", {""}, "\n"},
    };
    for (const Case& c : cases) {
        memo->setPlainText(c.before);
        for (const std::string& line : c.lines)
            form_->Log().AppendLine(line);
        EXPECT_EQ(memo->toPlainText(), c.after) << c.before.toStdString();
    }
    form_->ClearLog();
    EXPECT_TRUE(memo->toPlainText().isEmpty());
}

// Sees what the log holds, and where the bar stands, each time the log paints.
class PaintedTexts : public QObject {
public:
    PaintedTexts(QPlainTextEdit& memo, QProgressBar& bar) : memo_(memo), bar_(bar)
    {
        memo.viewport()->installEventFilter(this);
    }
    QStringList texts;
    QList<int> positions;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            texts << memo_.toPlainText();
            positions << bar_.value();
        }
        return false;
    }

private:
    QPlainTextEdit& memo_;
    QProgressBar& bar_;
};

// During a run the lines and the bar's position wait and go in together when
// the log or the bar repaints: the document changes once per repaint, not
// once per line, yet every repaint shows every line and the position so far,
// and the end of the run puts in the rest.
TEST_F(MainWindowTest, ARunsLogLinesGoInTogetherAtEachRepaintAndAllByItsEnd)
{
    ShowActive();
    auto* memo = Child<QPlainTextEdit>("Memo3");
    auto* bar = Child<RunProgressBar>("ProgressBar1");
    form_->ClearLog();
    ProgressIndicator& progress = form_->Progress();
    progress.SetMaximum(1000000);
    progress.SetPosition(0);
    int changes = 0;
    QObject::connect(memo->document(), &QTextDocument::contentsChange, [&changes] { ++changes; });
    PaintedTexts painted(*memo, *bar);
    QStringList soFar;
    int position = 0;
    QStringList expectedTexts;
    QList<int> expectedPositions;
    bool paintedWithTheBar = false;
    const auto noteRepaint = [&](qsizetype paintsBefore) {
        if (painted.texts.size() > paintsBefore) {
            expectedTexts << soFar.join(u'\n') + u'\n';
            expectedPositions << position;
        }
    };

    form_->RunStarting();
    QElapsedTimer clock;
    clock.start();
    // As the pass does it, a line and then the bar for every file; no events
    // run, only the views' own repaints draw them.
    for (int n = 1; clock.elapsed() < 6 * PaintThrottle::kIntervalMs; ++n) {
        soFar << QStringLiteral("Modifikuji soubor /x/%1.txt").arg(n);
        qsizetype paintsBefore = painted.texts.size();
        form_->Log().AppendLine(soFar.last().toStdString());
        noteRepaint(paintsBefore);
        paintsBefore = painted.texts.size();
        if (n == 3) {
            progress.SetVisible(true); // the bar repaints at once
            paintedWithTheBar = painted.texts.size() > paintsBefore;
        } else {
            progress.SetPosition(position = n);
        }
        noteRepaint(paintsBefore);
        QThread::msleep(1);
    }
    const int changesDuringTheRun = changes;
    form_->RunEnded();

    EXPECT_EQ(painted.texts, expectedTexts);
    EXPECT_EQ(painted.positions, expectedPositions);
    EXPECT_GE(painted.texts.size(), 2) << "the log repainted during the run";
    EXPECT_TRUE(paintedWithTheBar) << "a repaint of the bar brings the log up to date";
    EXPECT_LE(changesDuringTheRun, painted.texts.size()) << soFar.size() << " lines";
    EXPECT_EQ(memo->toPlainText(), soFar.join(u'\n') + u'\n') << "all lines by the end";
    EXPECT_EQ(bar->value(), position) << "the last position by the end";
}

TEST_F(MainWindowTest, ProgressGoesToTheBar)
{
    auto* bar = Child<RunProgressBar>("ProgressBar1");
    ProgressIndicator& progress = form_->Progress();
    progress.SetMinimum(0);
    progress.SetMaximum(4);
    progress.SetStep(1);
    progress.SetVisible(true);
    progress.SetPosition(3);
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 4);
    EXPECT_EQ(bar->value(), 3);
    EXPECT_FALSE(bar->isHidden());
    progress.SetVisible(false);
    EXPECT_TRUE(bar->isHidden());
}

QImage Picture(int minimum, int maximum, int value, bool plainQt = false)
{
    std::unique_ptr<QProgressBar> bar(plainQt ? new QProgressBar : new RunProgressBar);
    bar->setTextVisible(false);
    bar->resize(201, 16);
    bar->setRange(minimum, maximum);
    bar->setValue(value);
    return bar->grab().toImage();
}

// With one listed file the range is 0..0: shown as a finished bar, not as
// Qt's busy animation.
TEST(RunProgressBar, SingleValueRangeShowsAsAnOrdinaryBar)
{
    EXPECT_EQ(Picture(0, 0, 0), Picture(0, 1, 1));
    EXPECT_NE(Picture(0, 0, 0), Picture(0, 1, 0));
    EXPECT_EQ(Picture(0, 4, 2), Picture(0, 4, 2, true));
}

TEST(PaintThrottle, AllowsOneRepaintPerInterval)
{
    PaintThrottle throttle;
    EXPECT_TRUE(throttle.Due());
    EXPECT_FALSE(throttle.Due());
    EXPECT_FALSE(throttle.Due());
    QTest::qWait(PaintThrottle::kIntervalMs + 10);
    EXPECT_TRUE(throttle.Due());
    EXPECT_FALSE(throttle.Due());
}

// ---- Assistive technology -------------------------------------------------

void CollectNames(QAccessibleInterface* node, QStringList& names, int depth = 0)
{
    if (node == nullptr || depth > 30)
        return;
    names << node->text(QAccessible::Name);
    for (int i = 0; i < node->childCount(); ++i)
        CollectNames(node->child(i), names, depth + 1);
}

TEST_F(MainWindowTest, AssistiveTechnologyFindsEveryCommandAndField)
{
    ShowActive();
    QStringList names;
    CollectNames(QAccessible::queryAccessibleInterface(form_), names);
    const char* expected[] = {
        "Soubory", "Načíst názvy souborů", "Vybrat všechny", "Odstranit vybrané", "Odstranit všechny", "Konec",
        "Zobrazit", "Označený soubor", "Nápověda", "Jednoduše a rychle",
        "Načte názvy souborů do seznamu", "Odstraní vybrané soubory ze seznamu",
        "Odstraní všechny soubory ze seznamu", "Zobrazí soubor", "Provézt nahrazení",
        "Seznam souborů", "Operační log", "Průběh nahrazování",
        "Originál 1", "Originál 2", "Originál 3", "Originál 4", "Náhrada 1", "Náhrada 2", "Náhrada 3", "Náhrada 4",
    };
    for (const char* name : expected)
        EXPECT_TRUE(names.contains(QString::fromUtf8(name))) << name;
}

// ---- Czech toolkit texts --------------------------------------------------

TEST(ToolkitTranslations, QtsOwnTextsBecomeCzech)
{
    const QString source = QStringLiteral("&Open");
    if (QCoreApplication::translate("QFileDialog", "&Open") != source)
        GTEST_SKIP() << "another translation is installed already";
    const QList<QTranslator*> installed = InstallToolkitTranslations(*QCoreApplication::instance());
    if (installed.isEmpty())
        GTEST_SKIP() << "Qt's Czech translations are not installed";
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "&Open"), QStringLiteral("&Otevřít"));
    for (QTranslator* translator : installed) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "&Open"), source);
}

} // namespace
} // namespace ravo::testing
