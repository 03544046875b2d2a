// The main window: its layout numbers, the string fields, the menus and every
// command in its plain and tool forms.
#include "tests/app/main_window_fixture.h"

#include <QGroupBox>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScreen>
#include <QSignalSpy>

#include "engine/exception.h"
#include "tests/support/event_counts.h"

namespace ravo::testing {
namespace {

// ---- Layout ---------------------------------------------------------------

TEST_F(MainWindowTest, OpensAtDesignSizeCentredOnTheScreen)
{
    EXPECT_EQ(form_->windowTitle(), QStringLiteral("Hromadná změna obsahu více textových souborů najednou"));
    EXPECT_EQ(form_->size(), QSize(696, 480));
    const QSize screen = form_->screen()->geometry().size();
    EXPECT_EQ(form_->pos(), QPoint((screen.width() - 696) / 2, (screen.height() - 480) / 2));
}

TEST_F(MainWindowTest, FirstActivationGivesTheLeftGroupHalfTheWidth)
{
    ShowActive();
    EXPECT_EQ(Child<QGroupBox>("GroupBox2")->width(), 348);
    const int strings = Child<QGroupBox>("GroupBox3")->width();
    EXPECT_EQ(strings, 348);
    for (int n = 1; n <= 2 * kPairCount; ++n)
        EXPECT_EQ(Edit(n)->width(), strings - 70) << "Edit" << n;
    EXPECT_EQ(Child<QProgressBar>("ProgressBar1")->width(), strings - 185);
}

// The fields and the bar follow the strings group as it was before the left
// group was resized, so they lag one layout behind a width change.
TEST_F(MainWindowTest, FieldWidthsLagOneLayoutBehindAWidthChange)
{
    ShowActive();
    struct Step {
        int windowWidth;
        int leftGroup;
        int field;
        int bar;
    };
    const Step steps[] = {
        {800, 400, 800 - 348 - 70, 800 - 348 - 185},
        {900, 450, 900 - 400 - 70, 900 - 400 - 185},
        {700, 350, 700 - 450 - 70, 700 - 450 - 185},
    };
    for (const Step& step : steps) {
        form_->resize(step.windowWidth, 480);
        ASSERT_TRUE(WaitFor([&] { return form_->width() == step.windowWidth; }));
        EXPECT_EQ(Child<QGroupBox>("GroupBox2")->width(), step.leftGroup) << step.windowWidth;
        for (int n = 1; n <= 2 * kPairCount; ++n)
            EXPECT_EQ(Edit(n)->width(), step.field) << "Edit" << n << " at " << step.windowWidth;
        EXPECT_EQ(Child<QProgressBar>("ProgressBar1")->width(), step.bar) << step.windowWidth;
    }
    // Coming back to the window lays the fields out once more.
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    form_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_));
    EXPECT_EQ(Edit(1)->width(), 350 - 70);
}

TEST_F(MainWindowTest, ControlsStandWhereTheyWereDesigned)
{
    ShowActive();
    struct Place {
        const char* name;
        QPoint topLeft;
        QSize size;
    };
    const Place places[] = {
        {"Edit1", {62, 40}, {278, 22}}, {"Edit5", {62, 64}, {278, 22}},
        {"Edit2", {62, 96}, {278, 22}}, {"Edit6", {62, 120}, {278, 22}},
        {"Edit3", {62, 152}, {278, 22}}, {"Edit7", {62, 176}, {278, 22}},
        {"Edit4", {62, 208}, {278, 22}}, {"Edit8", {62, 232}, {278, 22}},
        {"Button3", {4, 10}, {161, 25}}, {"ProgressBar1", {176, 15}, {163, 16}},
        {"glyphButton1", {8, 2}, {33, 22}}, {"SpeedButton2", {48, 2}, {33, 22}},
        {"SpeedButton3", {88, 2}, {33, 22}}, {"SpeedButton4", {136, 2}, {33, 22}},
    };
    for (const Place& place : places) {
        const QWidget* control = Child<QWidget>(QString::fromLatin1(place.name));
        EXPECT_EQ(control->pos(), place.topLeft) << place.name;
        EXPECT_EQ(control->size(), place.size) << place.name;
    }
    const QRect window = form_->rect();
    EXPECT_EQ(Child<QWidget>("Panel1")->geometry().bottom(), window.bottom());
    EXPECT_EQ(Child<QWidget>("Panel1")->height(), 18);
    EXPECT_EQ(Child<QGroupBox>("GroupBox5")->height(), 39);
    EXPECT_EQ(Child<QGroupBox>("GroupBox6")->height(), 81);
    EXPECT_EQ(Child<QGroupBox>("GroupBox6")->geometry().top(), Child<QGroupBox>("GroupBox5")->geometry().bottom() + 1);
    // Nothing of the strings group is hidden under the run group.
    EXPECT_GE(Child<QGroupBox>("GroupBox3")->height(), 232 + 22);
}

TEST_F(MainWindowTest, LogAndProgressBarLookAsDesigned)
{
    const auto* memo = Child<QPlainTextEdit>("Memo3");
    EXPECT_EQ(memo->palette().color(QPalette::Base), QColor(0, 129, 198));
    EXPECT_EQ(memo->palette().color(QPalette::Text), QColor(0, 255, 255));
    EXPECT_FALSE(memo->isReadOnly());
    const auto* bar = Child<QProgressBar>("ProgressBar1");
    EXPECT_TRUE(bar->isHidden());
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 100);
    EXPECT_EQ(Child<QGroupBox>("GroupBox3")->title(), QStringLiteral(" Řetězce: "));
    EXPECT_EQ(Child<QGroupBox>("GroupBox6")->title(), QStringLiteral(" Operační log: "));
    EXPECT_EQ(Child<QPushButton>("Button3")->text(), QStringLiteral("Prové&zt nahrazení"));
}

// ---- String fields --------------------------------------------------------

TEST_F(MainWindowTest, FieldRefusesThe255thCharacter)
{
    ShowActive();
    for (int n : {1, 8}) {
        QLineEdit* field = Edit(n);
        field->setFocus();
        QTest::keyClicks(field, QString(253, u'x'));
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QStringLiteral("ž"), Qt::NoModifier);
        QTest::keyClicks(field, QStringLiteral("y"));
        EXPECT_EQ(field->text().size(), 254) << "Edit" << n;
        EXPECT_TRUE(field->text().endsWith(u'ž')) << "Edit" << n;
        EXPECT_EQ(field->font().family(), QStringLiteral("Courier New"));
        EXPECT_EQ(field->font().pointSize(), 10);
    }
}

TEST_F(MainWindowTest, TabRunsThroughTheOriginalsBeforeTheReplacements)
{
    ShowActive();
    Edit(1)->setFocus();
    ASSERT_TRUE(WaitFor([&] { return Edit(1)->hasFocus(); }));
    for (int next = 2; next <= 8; ++next) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), Edit(next)) << "after Edit" << next - 1;
    }
}

// ---- Menus ----------------------------------------------------------------

TEST_F(MainWindowTest, MenuEntriesHaveTheirCaptionsAndShortcuts)
{
    struct Row {
        const char* name;
        const char* caption;
        QKeySequence shortcut;
        bool enabledAtStart;
    };
    const Row rows[] = {
        {"Vybratsoubory1", "&Načíst názvy souborů", QKeySequence(Qt::CTRL | Qt::Key_O), true},
        {"mnVybratVse", "Vybr&at všechny", QKeySequence(Qt::CTRL | Qt::Key_A), false},
        {"mnOdstranitVybrane", "O&dstranit vybrané", QKeySequence(Qt::Key_Delete), false},
        {"mnOdstranitVse", "Odstranit &všechny", QKeySequence(Qt::CTRL | Qt::Key_Delete), false},
        {"Konec1", "&Konec", QKeySequence(), true},
        {"mnZobrazitSoubor", "&Označený soubor", QKeySequence(Qt::CTRL | Qt::Key_Z), false},
        {"Jednoduearychle1", "&Jednoduše a rychle", QKeySequence(), true},
        {"Pidatsoubory1", "&Přidat soubory", QKeySequence(), true},
        {"mnPopUpZobrazitSoubor", "&Zobrazit soubor", QKeySequence(Qt::CTRL | Qt::Key_Z), false},
        {"Vybratve1", "Vybr&at vše", QKeySequence(Qt::CTRL | Qt::Key_A), true},
        {"Odsrtanitsoubor1", "&Odstranit soubor", QKeySequence(Qt::Key_Delete), false},
        {"Odstranitve1", "Od&stranit vše", QKeySequence(Qt::CTRL | Qt::Key_Delete), false},
    };
    for (const Row& row : rows) {
        const QAction* entry = Entry(row.name);
        EXPECT_EQ(entry->text(), QString::fromUtf8(row.caption)) << row.name;
        EXPECT_EQ(entry->shortcut(), row.shortcut) << row.name;
        EXPECT_EQ(entry->isEnabled(), row.enabledAtStart) << row.name;
    }
    QStringList menus;
    for (const QAction* menu : Child<QWidget>("MainMenu1")->actions())
        menus << menu->text();
    EXPECT_EQ(menus, (QStringList{"&Soubory", "&Zobrazit", "&Nápověda"}));
    QStringList popup;
    for (const QAction* entry : Child<QMenu>("PopupMenu1")->actions())
        popup << (entry->isSeparator() ? QStringLiteral("-") : entry->objectName());
    EXPECT_EQ(popup, (QStringList{"Pidatsoubory1", "-", "mnPopUpZobrazitSoubor", "-", "Vybratve1", "-",
                                  "Odsrtanitsoubor1", "Odstranitve1"}));
}

TEST_F(MainWindowTest, ToolButtonsCarryTheirHintsAndPictures)
{
    const std::pair<const char*, const char*> hints[] = {
        {"glyphButton1", "Načte názvy souborů do seznamu"},
        {"SpeedButton2", "Odstraní vybrané soubory ze seznamu"},
        {"SpeedButton3", "Odstraní všechny soubory ze seznamu"},
        {"SpeedButton4", "Zobrazí soubor"},
    };
    for (const auto& [name, hint] : hints) {
        const QToolButton* button = Tool(name);
        EXPECT_EQ(button->toolTip(), QString::fromUtf8(hint)) << name;
        EXPECT_TRUE(button->text().isEmpty() || button->toolButtonStyle() == Qt::ToolButtonIconOnly) << name;
        EXPECT_FALSE(button->icon().isNull()) << name;
        EXPECT_EQ(button->iconSize(), QSize(18, 18)) << name;
        EXPECT_TRUE(button->isEnabled()) << name;
    }
}

// ---- The file commands group ---------------------------------------------

TEST_F(MainWindowTest, OnlyToolCommandsSwitchTheFileCommandsGroup)
{
    EXPECT_EQ(FileCommandsState(), All(false));
    AddWithMenu({"a.txt"});
    EXPECT_EQ(Items(), QStringList{PathOf("a.txt")});
    EXPECT_EQ(FileCommandsState(), All(false)) << "a plain add leaves the group alone";

    ChooseNext({});
    Tool("glyphButton1")->click();
    EXPECT_EQ(FileCommandsState(), All(false)) << "a cancelled tool add changes nothing";

    AddWithTool({"b.txt", "c.txt"});
    EXPECT_EQ(Items(), (QStringList{PathOf("a.txt"), PathOf("b.txt"), PathOf("c.txt")}));
    EXPECT_EQ(FileCommandsState(), All(true));

    Entry("mnOdstranitVybrane")->trigger();
    Entry("Odsrtanitsoubor1")->trigger();
    Entry("mnOdstranitVybrane")->trigger();
    EXPECT_TRUE(Items().isEmpty());
    EXPECT_EQ(FileCommandsState(), All(true)) << "a plain remove leaves the group alone";

    AddWithMenu({"a.txt"});
    Tool("SpeedButton2")->click();
    EXPECT_TRUE(Items().isEmpty());
    EXPECT_EQ(FileCommandsState(), All(false)) << "removing the last file with the tool";
}

TEST_F(MainWindowTest, AddingTheSameFileTwiceListsItTwiceInOrder)
{
    AddWithMenu({"b.txt", "a.txt"});
    AddWithTool({"b.txt"});
    EXPECT_EQ(Items(), (QStringList{PathOf("b.txt"), PathOf("a.txt"), PathOf("b.txt")}));
    EXPECT_EQ(List()->currentRow(), 0);
}

TEST_F(MainWindowTest, RemoveCurrentTakesOnlyTheItemWithTheFocus)
{
    AddWithTool({"a.txt"});
    for (const char* command : {"mnOdstranitVybrane", "Odsrtanitsoubor1", "SpeedButton2"}) {
        List()->clear();
        AddWithMenu({"a.txt", "b.txt", "c.txt", "d e.txt"});
        QItemSelectionModel* selection = List()->selectionModel();
        selection->select(QItemSelection(List()->model()->index(0, 0), List()->model()->index(2, 0)),
                          QItemSelectionModel::ClearAndSelect);
        selection->setCurrentIndex(List()->model()->index(1, 0), QItemSelectionModel::NoUpdate);
        if (QAction* entry = form_->findChild<QAction*>(QString::fromLatin1(command)))
            entry->trigger();
        else
            Tool(command)->click();
        EXPECT_EQ(Items(), (QStringList{PathOf("a.txt"), PathOf("c.txt"), PathOf("d e.txt")})) << command;
    }
}

TEST_F(MainWindowTest, ToolCommandsOnAnEmptyListOnlyGiveANotice)
{
    for (const char* tool : {"SpeedButton2", "SpeedButton3"}) {
        BoxAnswerer box;
        box.Expect("OK");
        Tool(tool)->click();
        EXPECT_EQ(box.shown, 1) << tool;
        EXPECT_EQ(box.text, QStringLiteral("Seznamu souborů je prázdný!")) << tool;
        EXPECT_EQ(FileCommandsState(), All(false)) << tool;
    }
}

TEST_F(MainWindowTest, RemoveAllAsksFirst)
{
    struct Case {
        const char* command;
        const char* answer;
        bool listEmptyAfter;
        bool groupEnabledAfter;
    };
    const Case cases[] = {
        {"mnOdstranitVse", "No", false, true},  {"mnOdstranitVse", "Yes", true, true},
        {"Odstranitve1", "Yes", true, true},    {"SpeedButton3", "No", false, true},
        {"SpeedButton3", "Yes", true, false},
    };
    for (const Case& c : cases) {
        List()->clear();
        AddWithTool({"a.txt", "b.txt"});
        BoxAnswerer box;
        box.Expect(c.answer);
        if (QAction* entry = form_->findChild<QAction*>(QString::fromLatin1(c.command)))
            entry->trigger();
        else
            Tool(c.command)->click();
        EXPECT_EQ(box.shown, 1) << c.command << " " << c.answer;
        EXPECT_EQ(box.text, QStringLiteral("Odstranit z výběru všechny soubory?"));
        EXPECT_EQ(List()->count() == 0, c.listEmptyAfter) << c.command << " " << c.answer;
        EXPECT_EQ(FileCommandsState(), All(c.groupEnabledAfter)) << c.command << " " << c.answer;
    }
}

TEST_F(MainWindowTest, PlainRemoveAllOnAnEmptyListAsksNothing)
{
    AddWithTool({"a.txt"});
    List()->clear();
    box_.Expect("Yes");
    Entry("mnOdstranitVse")->trigger();
    QTest::qWait(50);
    EXPECT_EQ(box_.shown, 0);
    EXPECT_EQ(FileCommandsState(), All(true));
}

TEST_F(MainWindowTest, SelectAllSelectsEveryItem)
{
    AddWithMenu({"a.txt", "b.txt", "c.txt"});
    Entry("Vybratve1")->trigger();
    EXPECT_EQ(List()->selectedItems().size(), 3);
}

// ---- View -----------------------------------------------------------------

TEST_F(MainWindowTest, ViewStartsTheEditorWithTheUnquotedPath)
{
    Entry("mnZobrazitSoubor")->setEnabled(true);
    Entry("mnZobrazitSoubor")->trigger();
    Tool("SpeedButton4")->click();
    EXPECT_TRUE(started_.empty()) << "nothing to view in an empty list";

    AddWithTool({"a.txt", "d e.txt"});
    List()->setCurrentRow(1);
    for (const char* entry : {"mnZobrazitSoubor", "mnPopUpZobrazitSoubor"})
        Entry(entry)->trigger();
    Tool("SpeedButton4")->click();
    const std::string expected = "notepad.exe " + QFile::encodeName(PathOf("d e.txt")).toStdString();
    EXPECT_EQ(started_, std::vector<std::string>(3, expected));

    const std::string codePage = MakeCodePageFile();
    AddWithTool({kCodePageTyped});
    List()->setCurrentRow(2);
    Entry("mnZobrazitSoubor")->trigger();
    EXPECT_EQ(started_.back(), "notepad.exe " + codePage) << "a name that is not UTF-8 keeps its bytes";
}

TEST_F(MainWindowTest, DoubleClickViewsTheClickedItem)
{
    ShowActive();
    AddWithMenu({"a.txt", "b.txt", "c.txt"});
    const QRect item = List()->visualItemRect(List()->item(2));
    ASSERT_TRUE(List()->viewport()->rect().contains(item.center())) << item.y() << " " << item.height();
    // As the window system delivers it: a click, then the second press as
    // the double click.
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, item.center());
    QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {}, item.center());
    QTest::mouseRelease(List()->viewport(), Qt::LeftButton, {}, item.center());
    EXPECT_EQ(List()->currentRow(), 2);
    ASSERT_EQ(started_.size(), 1u);
    EXPECT_EQ(started_[0], "notepad.exe " + QFile::encodeName(PathOf("c.txt")).toStdString());
}

TEST_F(MainWindowTest, ReadingAnEntryOutsideTheListIsAnIndexError)
{
    AddWithMenu({"a.txt", "b.txt", "c.txt"});
    EXPECT_EQ(form_->Soubor_Nazev(2), PathOf("c.txt"));
    for (int index : {-1, 3, 1000}) {
        try {
            form_->Soubor_Nazev(index);
            ADD_FAILURE() << "no error for " << index;
        } catch (const EStringListError& error) {
            EXPECT_EQ(error.Message(), "List index out of bounds (" + std::to_string(index) + ")");
        }
    }
}

// ---- Run, help, exit ------------------------------------------------------

TEST_F(MainWindowTest, RunOnAnEmptyListGivesTheNoticeOnly)
{
    box_.Expect("OK");
    Child<QPushButton>("Button3")->click();
    EXPECT_EQ(box_.shown, 1);
    EXPECT_EQ(box_.text, QStringLiteral("Nejprve přidejte soubory do seznamu a vyplňte políčka pro řetězce!"));
    EXPECT_FALSE(runDialog_.isVisible());
    EXPECT_TRUE(form_->isEnabled());
}

TEST_F(MainWindowTest, RunWithFilesOpensTheDialogWhateverTheFields)
{
    ShowActive();
    AddWithMenu({"a.txt"});
    Child<QPushButton>("Button3")->click();
    EXPECT_TRUE(runDialog_.isVisible());
    EXPECT_FALSE(form_->isEnabled());
    form_->ReturnFromDialog();
    EXPECT_TRUE(form_->isEnabled());
    runDialog_.hide();
}

TEST_F(MainWindowTest, HelpIsShownOnceAndLeftWhereItIs)
{
    testing::EventCounts counter;
    helpWindow_.installEventFilter(&counter);
    Entry("Jednoduearychle1")->trigger();
    EXPECT_TRUE(helpWindow_.isVisible());
    Entry("Jednoduearychle1")->trigger();
    EXPECT_EQ(counter.Of(QEvent::Show), 1);
    helpWindow_.hide();
}

TEST_F(MainWindowTest, ExitClosesTheWindowAndEndsTheProgram)
{
    ShowActive();
    QSignalSpy closed(form_, &TForm1::Closed);
    Entry("Konec1")->trigger();
    EXPECT_FALSE(form_->isVisible());
    EXPECT_EQ(closed.count(), 1);
}

} // namespace
} // namespace ravo::testing
