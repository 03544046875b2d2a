// Whole runs as a person makes them: files chosen in the file dialog, strings
// typed, the run button, the backup choice in the dialog, continue. What the
// log says, what happened to the files and their backups, and the state the
// windows are left in.
#include "tests/integration/whole_run_fixture.h"

#include <QScrollBar>
#include <QWindow>

#include "app/paint_throttle.h"
#include "run/run_log.h"
#include "run/string_pair.h"

namespace ravo::testing {
namespace {

// A line of the run's log as the log window shows it, and a path as the run
// is given it.
QString Shown(const std::string& line)
{
    return QString::fromStdString(line);
}

std::string PathBytes(const QString& path)
{
    return path.toStdString();
}

enum class Backup { None, IntoBackupFolder, IntoFilesFolder };

struct FileText {
    const char* name;
    QByteArray content;
};

struct RunCase {
    const char* rule;
    std::vector<FileText> before;
    // One use of the file dialog per entry, names relative to the folder.
    std::vector<QStringList> adds;
    std::array<QString, 2 * kPairCount> fields;
    Backup backup;
    // {F} is the files' folder as listed, {B} the backup folder.
    QStringList log;
    std::vector<FileText> after;
    // The backup folder's whole content afterwards.
    std::vector<FileText> backups;
    bool barShown;
};

void PrintTo(const RunCase& c, std::ostream* out)
{
    *out << c.rule;
}

const RunCase kRunCases[] = {
    {"WithoutBackupEveryUsedPairRewritesEveryFile",
     {{"a.txt", "foo one\r\nno match\nfoo foo\r\n"}, {"d e.txt", "zelený foo\r\n"}},
     {{"a.txt", "d e.txt"}},
     {"foo", "", "zelený", "", "bar", "unused", "žlutý", "unused too"},
     Backup::None,
     {Shown(kNoBackupLine), Shown(ModifiedLine("{F}/a.txt")), Shown(ModifiedLine("{F}/d e.txt")),
      Shown(ModifiedLine("{F}/a.txt")), Shown(ModifiedLine("{F}/d e.txt"))},
     {{"a.txt", "bar one\r\nno match\r\nbar foo\r\n"}, {"d e.txt", "žlutý bar\r\n"}},
     {},
     true},
    {"BackupCopiesTheFilesAsTheyWereBeforeTheyChange",
     {{"a.txt", "foo\r\n"}, {"b.txt", "a foo b\nlast line without its end"}},
     {{"a.txt", "b.txt"}},
     {"foo", "", "", "", "bar", "", "", ""},
     Backup::IntoBackupFolder,
     {"{B}", Shown(BackedUpLine("{F}/a.txt", "{B}/a.txt")), Shown(BackedUpLine("{F}/b.txt", "{B}/b.txt")),
      Shown(ModifiedLine("{F}/a.txt")), Shown(ModifiedLine("{F}/b.txt"))},
     {{"a.txt", "bar\r\n"}, {"b.txt", "a bar b\r\nlast line without its end\r\n"}},
     {{"a.txt", "foo\r\n"}, {"b.txt", "a foo b\nlast line without its end"}},
     true},
    {"BackupIntoTheFilesOwnFolderFailsForEachButTheFilesStillChange",
     {{"a.txt", "foo\r\n"}, {"c.txt", "x foo\r\n"}},
     {{"a.txt", "c.txt"}},
     {"foo", "", "", "", "bar", "", "", ""},
     Backup::IntoFilesFolder,
     {"{B}", Shown(NotBackedUpLine("{F}/a.txt", "{B}/a.txt")), Shown(NotBackedUpLine("{F}/c.txt", "{B}/c.txt")),
      Shown(ModifiedLine("{F}/a.txt")), Shown(ModifiedLine("{F}/c.txt"))},
     {{"a.txt", "bar\r\n"}, {"c.txt", "x bar\r\n"}},
     {},
     true},
    {"OfTwoFilesWithOneNameOnlyTheFirstIsBackedUp",
     {{"x/a.txt", "foo x\r\n"}, {"y/a.txt", "foo y\r\n"}},
     {{"x/a.txt"}, {"y/a.txt"}},
     {"foo", "", "", "", "bar", "", "", ""},
     Backup::IntoBackupFolder,
     {"{B}", Shown(BackedUpLine("{F}/x/a.txt", "{B}/a.txt")), Shown(NotBackedUpLine("{F}/y/a.txt", "{B}/a.txt")),
      Shown(ModifiedLine("{F}/x/a.txt")), Shown(ModifiedLine("{F}/y/a.txt"))},
     {{"x/a.txt", "bar x\r\n"}, {"y/a.txt", "bar y\r\n"}},
     {{"a.txt", "foo x\r\n"}},
     true},
    {"AFileListedTwiceIsBackedUpOnceAndChangedTwicePerPair",
     {{"a.txt", "x\r\n"}},
     {{"a.txt"}, {"a.txt"}},
     {"x", "", "", "", "xx", "", "", ""},
     Backup::IntoBackupFolder,
     {"{B}", Shown(BackedUpLine("{F}/a.txt", "{B}/a.txt")), Shown(NotBackedUpLine("{F}/a.txt", "{B}/a.txt")),
      Shown(ModifiedLine("{F}/a.txt")), Shown(ModifiedLine("{F}/a.txt"))},
     {{"a.txt", "xxx\r\n"}},
     {{"a.txt", "x\r\n"}},
     true},
    {"AllOriginalsEmptyOnlyBacksUp",
     {{"a.txt", "foo\n"}},
     {{"a.txt"}},
     {"", "", "", "", "bar", "bar", "bar", "bar"},
     Backup::IntoBackupFolder,
     {"{B}", Shown(BackedUpLine("{F}/a.txt", "{B}/a.txt"))},
     {{"a.txt", "foo\n"}},
     {{"a.txt", "foo\n"}},
     false},
    {"AllOriginalsEmptyWithoutBackupOnlySaysSo",
     {{"a.txt", "foo\n"}},
     {{"a.txt"}},
     {"", "", "", "", "", "", "", ""},
     Backup::None,
     {Shown(kNoBackupLine)},
     {{"a.txt", "foo\n"}},
     {},
     false},
};

class RunCases : public WholeRun, public ::testing::WithParamInterface<RunCase> {
protected:
    QString Expand(QString line, const QString& backupFolder) const
    {
        return line.replace(QStringLiteral("{F}"), Folder()).replace(QStringLiteral("{B}"), backupFolder);
    }
};

TEST_P(RunCases, LogFilesAndBackupsAfterTheRun)
{
    const RunCase& c = GetParam();
    for (const FileText& file : c.before)
        Write(QString::fromUtf8(file.name), file.content);
    for (const QStringList& names : c.adds)
        AddWithTool(names);
    TypeFields(c.fields);

    StartRun();
    const QString backupFolder = c.backup == Backup::IntoFilesFolder ? SystemFolder() : BackupFolder();
    if (c.backup != Backup::None)
        TickAndChoose(backupFolder);
    Continue();

    QStringList log;
    for (const QString& line : c.log)
        log << Expand(line, backupFolder);
    EXPECT_EQ(LogLines(), log);
    for (const FileText& file : c.after)
        EXPECT_EQ(Read(QString::fromUtf8(file.name)), file.content) << file.name;
    QStringList backupNames;
    for (const FileText& file : c.backups) {
        backupNames << QString::fromUtf8(file.name);
        EXPECT_EQ(Read(QString::fromLatin1(kBackupFolder) + u'/' + QString::fromUtf8(file.name)), file.content)
            << "backup of " << file.name;
    }
    EXPECT_EQ(FilesBelow(QString::fromLatin1(kBackupFolder)), backupNames);
    EXPECT_TRUE(FilesBelow(QStringLiteral(".")).filter(QStringLiteral(".TMP")).isEmpty()) << "no temporary file left";

    EXPECT_EQ(barEvents_.Of(QEvent::Show) > 0, c.barShown);
    EXPECT_FALSE(Bar()->isVisible()) << "the bar is hidden at the end";
    EXPECT_TRUE(boxes_.seen.empty());
}

INSTANTIATE_TEST_SUITE_P(WholeRun, RunCases, ::testing::ValuesIn(kRunCases),
                         [](const ::testing::TestParamInfo<RunCase>& row) { return row.param.rule; });

TEST_F(WholeRun, ASecondRunIntoTheSameFolderKeepsTheFirstBackups)
{
    Write(QStringLiteral("a.txt"), "foo 1\r\n");
    AddWithTool({"a.txt"});
    TypeFields({"foo", "", "", "", "bar", "", "", ""});
    StartRun();
    TickAndChoose(BackupFolder());
    Continue();
    ASSERT_EQ(Read(QStringLiteral("a.txt")), "bar 1\r\n");

    // The chooser still shows the backup folder: ticking is enough.
    TypeFields({"bar", "", "", "", "baz", "", "", ""});
    StartRun();
    Tick();
    Continue();

    const QString b = BackupFolder();
    const QString f = Folder();
    EXPECT_EQ(LogLines(), (QStringList{b, Shown(NotBackedUpLine(PathBytes(f + "/a.txt"), PathBytes(b + "/a.txt"))),
                                       Shown(ModifiedLine(PathBytes(f + "/a.txt")))}));
    EXPECT_EQ(Read(QStringLiteral("zaloha/a.txt")), "foo 1\r\n");
    EXPECT_EQ(Read(QStringLiteral("a.txt")), "baz 1\r\n");
    EXPECT_TRUE(boxes_.seen.empty());
}

// A listed file deleted after it was listed: the run stops at it with the
// error box; what came before stays done, nothing after it is touched, and
// the main window works on as before.
TEST_F(WholeRun, AMissingFileEndsTheRunInTheErrorBoxAndTheWindowWorksOn)
{
    Write(QStringLiteral("a.txt"), "foo foo\r\n");
    Write(QStringLiteral("b.txt"), "foo b\r\n");
    Write(QStringLiteral("c.txt"), "foo c\n");
    AddWithTool({"a.txt", "b.txt", "c.txt"});
    TypeFields({"foo", "bar", "", "", "bar", "baz", "", ""});
    ASSERT_TRUE(QFile::remove(folder_.filePath(QStringLiteral("b.txt"))));

    StartRun();
    // Without waiting for the focus: the box comes up before the main
    // window's activation is processed, and it takes that activation.
    Press("Button1");

    EXPECT_EQ(boxes_.seen, (std::vector<SeenBox>{{QStringLiteral("RAVO"), QStringLiteral("File not found."), true}}));
    EXPECT_EQ(LogLines(), (QStringList{Shown(kNoBackupLine), Shown(ModifiedLine(PathBytes(Folder() + "/a.txt")))}));
    EXPECT_EQ(Read(QStringLiteral("a.txt")), "bar foo\r\n") << "the second pair never ran";
    EXPECT_EQ(Read(QStringLiteral("c.txt")), "foo c\n");
    EXPECT_EQ(FilesBelow(QStringLiteral(".")), (QStringList{"a.txt", "c.txt", "d e.txt"}));
    EXPECT_TRUE(Bar()->isVisible()) << "the bar stays as the failed pass left it";
    EXPECT_TRUE(form_->isEnabled());
    EXPECT_FALSE(form2_->isVisible());
    EXPECT_TRUE(WaitFor([this] { return form_->isActiveWindow(); })) << "the box hands the activation back";

    boxes_.seen.clear();
    Write(QStringLiteral("b.txt"), "foo b\r\n");
    StartRun();
    Continue();

    const QString f = Folder();
    EXPECT_TRUE(boxes_.seen.empty());
    EXPECT_EQ(LogLines(), (QStringList{Shown(kNoBackupLine), Shown(ModifiedLine(PathBytes(f + "/a.txt"))),
                                       Shown(ModifiedLine(PathBytes(f + "/b.txt"))), Shown(ModifiedLine(PathBytes(f + "/c.txt"))),
                                       Shown(ModifiedLine(PathBytes(f + "/a.txt"))), Shown(ModifiedLine(PathBytes(f + "/b.txt"))),
                                       Shown(ModifiedLine(PathBytes(f + "/c.txt")))}));
    EXPECT_EQ(Read(QStringLiteral("a.txt")), "baz bar\r\n");
    EXPECT_EQ(Read(QStringLiteral("b.txt")), "baz b\r\n");
    EXPECT_EQ(Read(QStringLiteral("c.txt")), "baz c\r\n");
    EXPECT_FALSE(Bar()->isVisible());
}

// The run processes no events: the bar and the log repaint on their own, on a
// clock of about thirty frames a second, and once the run is over the log
// shows its last line.
TEST_F(WholeRun, ALongRunRepaintsOnItsOwnClockAndEndsShowingTheLastLine)
{
    constexpr int kFiles = 300;
    QStringList names;
    for (int n = 0; n < kFiles; ++n) {
        names << QStringLiteral("f%1.txt").arg(n, 3, 10, QLatin1Char('0'));
        Write(names.last(), "foo\r\n");
    }
    AddWithTool(names);
    ASSERT_EQ(List()->count(), kFiles);
    TypeFields({"foo", "", "", "", "bar", "", "", ""});
    StartRun();

    auto* memo = Child<QPlainTextEdit>(QStringLiteral("Memo3"));
    testing::EventCounts logPaints;
    memo->viewport()->installEventFilter(&logPaints);
    barEvents_.Reset(QEvent::Paint);
    QElapsedTimer clock;
    clock.start();
    Press("Button1");
    const qint64 elapsedMs = clock.elapsed();
    const int barPaints = barEvents_.Of(QEvent::Paint);
    const int memoPaints = logPaints.Of(QEvent::Paint);

    // One frame per interval, the first at once, and the bar's when it appears.
    const qint64 frames = elapsedMs / PaintThrottle::kIntervalMs + 2;
    EXPECT_LE(barPaints, frames + 1) << elapsedMs << " ms";
    EXPECT_LE(memoPaints, frames) << elapsedMs << " ms";
    EXPECT_GE(memoPaints, 1) << "the log repainted during the run";
    EXPECT_EQ(LogLines().size(), kFiles + 1);

    ASSERT_TRUE(WaitFor([&] { return memo->viewport()->rect().contains(memo->cursorRect()); }))
        << "the last line comes into view";
    EXPECT_TRUE(memo->textCursor().atEnd());
    QScrollBar* scroll = memo->verticalScrollBar();
    EXPECT_GT(scroll->maximum(), 0);
    EXPECT_EQ(scroll->value(), scroll->maximum());
    EXPECT_FALSE(Bar()->isVisible());
}

TEST_F(WholeRun, CancelLeavesLogListAndFilesAsTheyWere)
{
    Write(QStringLiteral("a.txt"), "foo\n");
    AddWithTool({"a.txt", "d e.txt"});
    TypeFields({"foo", "", "", "", "bar", "", "", ""});
    StartRun();
    Continue();
    const QStringList log = LogLines();
    const QStringList listed = Items();
    const QByteArray content = Read(QStringLiteral("a.txt"));
    ASSERT_EQ(content, "bar\r\n");

    TypeFields({"bar", "", "", "", "baz", "", "", ""});
    StartRun();
    TickAndChoose(BackupFolder());
    Cancel();

    EXPECT_EQ(LogLines(), log);
    EXPECT_EQ(Items(), listed);
    EXPECT_EQ(Read(QStringLiteral("a.txt")), content);
    EXPECT_TRUE(FilesBelow(QString::fromLatin1(kBackupFolder)).isEmpty());
    EXPECT_TRUE(boxes_.seen.empty());
}

// However the dialog is left, and also after the error box of a failed run,
// the focus goes back to the control that had it when the run button
// disabled the window: the run button itself.
TEST_F(WholeRun, TheFocusComesBackToTheRunButton)
{
    struct Case {
        const char* how;
        const char* button;
        bool fileMissing;
    };
    const Case cases[] = {
        {"cancel", "Button2", false},
        {"a run", "Button1", false},
        {"a run ended by the error box", "Button1", true},
    };
    Write(QStringLiteral("a.txt"), "foo\n");
    AddWithTool({"a.txt"});
    TypeFields({"foo", "", "", "", "bar", "", "", ""});
    auto* run = Child<QPushButton>(QStringLiteral("Button3"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        if (c.fileMissing) {
            ASSERT_TRUE(QFile::remove(folder_.filePath(QStringLiteral("a.txt"))));
        }
        boxes_.seen.clear();
        StartRun();
        Press(c.button);
        EXPECT_TRUE(WaitFor([run] { return QApplication::focusWidget() == run; }))
            << "the focus is on " << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName().toStdString() : "nothing");
        EXPECT_EQ(boxes_.seen.size(), c.fileMissing ? 1u : 0u);
    }
}

// Keys pressed in the dialog stay the dialog's: none of them runs a command
// of the main window behind it.
TEST_F(WholeRun, TheMainWindowsKeysDoNothingInTheDialog)
{
    Write(QStringLiteral("a.txt"), "foo\n");
    AddWithTool({"a.txt", "b.txt"});
    StartRun();
    auto* box = DialogControl<QCheckBox>("CheckBox1");
    for (const QKeyCombination key : {Qt::CTRL | Qt::Key_O, QKeyCombination(Qt::Key_Delete), Qt::CTRL | Qt::Key_Delete,
                                      Qt::CTRL | Qt::Key_Z, Qt::CTRL | Qt::Key_A})
        QTest::keyClick(box, key.key(), key.keyboardModifiers());
    QTest::qWait(50);
    EXPECT_TRUE(boxes_.seen.empty());
    EXPECT_EQ(Items().size(), 2);
    EXPECT_TRUE(started_.empty());
    EXPECT_TRUE(form2_->isVisible());
    Cancel();
}

// The dialog belongs to the main window: transient for it, so that a window
// manager keeps it above that window, yet not its child, so that it stays
// enabled while the main window is not. When the greyed main window is
// activated anyway (clicked under a window manager), the dialog comes
// forward, and as it was never really left, its tick stays. The help window
// stays a window of its own.
TEST_F(WholeRun, TheDialogBelongsToTheMainWindowAndComesForwardFromIt)
{
    Write(QStringLiteral("a.txt"), "foo\n");
    AddWithTool({"a.txt"});
    StartRun();
    ASSERT_NE(form2_->windowHandle(), nullptr);
    EXPECT_EQ(form2_->windowHandle()->transientParent(), form_->windowHandle());
    EXPECT_EQ(form2_->parentWidget(), nullptr);
    EXPECT_TRUE(form2_->isEnabled());
    Tick();

    testing::EventCounts dialog;
    form2_->installEventFilter(&dialog);
    form_->activateWindow();
    EXPECT_TRUE(WaitFor([&] { return dialog.Of(QEvent::WindowActivate) > 0 && QApplication::activeWindow() == form2_; }))
        << "the dialog is active again";
    EXPECT_TRUE(DialogControl<QCheckBox>("CheckBox1")->isChecked());
    form2_->removeEventFilter(&dialog);
    Cancel();

    form3_->show();
    ASSERT_NE(form3_->windowHandle(), nullptr);
    EXPECT_EQ(form3_->windowHandle()->transientParent(), nullptr);
    form3_->hide();
}

} // namespace
} // namespace ravo::testing
