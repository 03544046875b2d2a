// OpenDialog1's component: the answer parser, the configuration of the
// dialog, the values it remembers between uses, and where it opens.
#include "dialogs/open_dialog.h"
#include "dialogs/placement.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLibraryInfo>
#include <QListView>
#include <QLineEdit>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <QTreeView>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/current_folder.h"
#include "tests/support/files.h"
#include "tests/support/modal_boxes.h"
#include "tests/support/qt_printers.h"

namespace ravo {
namespace {

TEST(ParseAnswer, FolderThenNamesBecomeFullPaths)
{
    struct Case { const char* name; QStringList answer; QStringList paths; };
    const Case cases[] = {
        {"single file", {"/home/u/a.txt"}, {"/home/u/a.txt"}},
        {"single file, empty terminator", {"/home/u/a.txt", ""}, {"/home/u/a.txt"}},
        {"several in the root", {"/", "a.txt", "b.php"}, {"/a.txt", "/b.php"}},
        {"several in a folder", {"/home/u", "b.txt", "a.txt"}, {"/home/u/b.txt", "/home/u/a.txt"}},
        {"folder with trailing separator", {"/home/u/", "a.txt", "b.txt"},
         {"/home/u/a.txt", "/home/u/b.txt"}},
        {"absolute among relative", {"/home/u", "a.txt", "/etc/x.bat", "c.js"},
         {"/home/u/a.txt", "/etc/x.bat", "/home/u/c.js"}},
        {"duplicates kept, nothing sorted", {"/d", "z.txt", "a.txt", "z.txt"},
         {"/d/z.txt", "/d/a.txt", "/d/z.txt"}},
        {"a drive-like name is relative here", {"/d", "C:\\", "c:x"}, {"/d/C:\\", "/d/c:x"}},
        {"empty name ends the list", {"/d", "a.txt", "", "b.txt"}, {"/d/a.txt"}},
        {"names with spaces", {"/my files", "a b.txt"}, {"/my files/a b.txt"}},
        {"nothing", {}, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TOpenDialog::ParseAnswer(c.answer), c.paths) << c.name;
}

TEST(AnswerFor, QtSelectionBecomesFolderThenNames)
{
    struct Case { const char* name; QString folder; QStringList files; QStringList answer; };
    const Case cases[] = {
        {"one file", "/d", {"/d/a.txt"}, {"/d/a.txt"}},
        {"one file elsewhere", "/d", {"/e/a.txt"}, {"/e/a.txt"}},
        {"several", "/d", {"/d/b.txt", "/d/a.txt"}, {"/d", "b.txt", "a.txt"}},
        {"root", "/", {"/a.txt", "/b.txt"}, {"/", "a.txt", "b.txt"}},
        {"one from elsewhere", "/d", {"/d/a.txt", "/e/x.bat"}, {"/d", "a.txt", "/e/x.bat"}},
        {"none", "/d", {}, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TOpenDialog::AnswerFor(c.folder, c.files), c.answer) << c.name;
        if (!c.files.isEmpty()) {
            EXPECT_EQ(TOpenDialog::ParseAnswer(TOpenDialog::AnswerFor(c.folder, c.files)), c.files)
                << c.name << ": the round trip gives Qt's files back";
        }
    }
}

TEST(UntracedNotice, NamesTheLeftOutFilesOnePerLine)
{
    QStringList twelve;
    for (int i = 1; i <= 12; ++i)
        twelve << QStringLiteral("/d/%1.txt").arg(i);
    struct Case { const char* name; QStringList paths; QString text; };
    const Case cases[] = {
        {"one", {"/d/\uFFFD.txt"},
         "Soubor nelze podle jeho názvu jednoznačně určit, do seznamu nebyl přidán:\n/d/\uFFFD.txt"},
        {"several, a line break in a name shown", {"/d/a\nb.txt", "/d/\u2028.txt"},
         "Tyto soubory nelze podle jejich názvů jednoznačně určit, do seznamu nebyly přidány:\n"
         "/d/a\\x0ab.txt\n/d/\\x2028.txt"},
        {"the first ten, then how many more", twelve,
         "Tyto soubory nelze podle jejich názvů jednoznačně určit, do seznamu nebyly přidány:\n" +
             twelve.first(10).join(u'\n') + "\n… a další (2)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TOpenDialog::UntracedNotice(c.paths), c.text) << c.name;
}

TEST(OpenDialogPlacement, CentredAcrossAThirdDown)
{
    struct Case { QRect monitor; QSize outer; QPoint expected; };
    const Case cases[] = {
        {QRect(0, 0, 800, 600), QSize(500, 300), QPoint(150, 100)},
        {QRect(0, 0, 1920, 1080), QSize(601, 400), QPoint(659, 226)},
        {QRect(1920, 200, 1280, 1024), QSize(640, 480), QPoint(1920 + 320, 200 + 181)},
        // Larger than the monitor: the divisions truncate towards zero.
        {QRect(0, 0, 400, 300), QSize(501, 401), QPoint(-50, -33)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CentredAtAThirdOfTheFreeHeight(c.monitor, c.outer), c.expected);
}

TEST(OpenDialogConfiguration, TitleAndSevenFilterEntries)
{
    TOpenDialog component;
    EXPECT_EQ(component.Title(), QStringLiteral("Vyber soubory do seznamu hromadné změny:"));
    EXPECT_EQ(component.Filter(),
              QStringLiteral("TXT soubory|*.txt|PHP soubory|*.php|HTML a HTM soubory|*.htm*|"
                             "PAS soubory|*.pas|BAS soubry|*.bas|JS soubory|*.js|BAT soubory|*.bat"));
    const QStringList expected{"TXT soubory (*.txt)", "PHP soubory (*.php)",
                               "HTML a HTM soubory (*.htm*)", "PAS soubory (*.pas)",
                               "BAS soubry (*.bas)", "JS soubory (*.js)", "BAT soubory (*.bat)"};
    EXPECT_EQ(TOpenDialog::NameFilters(), expected);
    EXPECT_EQ(component.FilterIndex(), 1);
    EXPECT_TRUE(component.FileName().isEmpty());
}

// A folder of files to choose from; the current folder is put back after.
class OpenDialogUse : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder_.isValid());
        ASSERT_TRUE(other_.isValid());
        for (const char* name : {"a.txt", "b.txt", "c.htm", "d e.txt"})
            Touch(folder_.filePath(name));
        Touch(other_.filePath("x.bat"));
    }
    void TearDown() override { QDir::setCurrent(startFolder_); }

    static void Touch(const QString& path)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QString In(const char* name) const { return QDir(folder_.path()).absoluteFilePath(name); }
    QString Folder() const { return QDir(folder_.path()).absolutePath(); }

    QString startFolder_ = QDir::currentPath();
    QTemporaryDir folder_;
    QTemporaryDir other_;
};

struct Seen {
    QString title;
    QStringList filters;
    QString filter;
    QString folder;
    QString typed;
    bool existingFiles = false;
    bool nonNative = false;
};

// A runner that notes how the dialog was prepared, types `typed` in
// `folder` with filter entry `entry`, and confirms (or cancels when
// `typed` is empty).
TOpenDialog::Runner Choose(Seen& seen, QString folder, QString typed, int entry)
{
    return [&seen, folder, typed, entry](QFileDialog& dialog) {
        seen.title = dialog.windowTitle();
        seen.filters = dialog.nameFilters();
        seen.filter = dialog.selectedNameFilter();
        seen.folder = dialog.directory().absolutePath();
        auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        seen.typed = edit ? edit->text() : QString();
        seen.existingFiles = dialog.fileMode() == QFileDialog::ExistingFiles;
        seen.nonNative = dialog.testOption(QFileDialog::DontUseNativeDialog);
        if (typed.isEmpty()) {
            dialog.reject();
            return false;
        }
        dialog.setDirectory(folder);
        dialog.selectNameFilter(dialog.nameFilters().at(entry - 1));
        if (!edit) {
            ADD_FAILURE() << "the dialog has no file name field";
            return false;
        }
        // Typing replaces whatever the dialog had selected on opening.
        for (auto* view : dialog.findChildren<QAbstractItemView*>())
            view->clearSelection();
        edit->setText(typed);
        static_cast<QDialog&>(dialog).accept(); // the OK button's slot
        return dialog.result() == QDialog::Accepted;
    };
}

TEST_F(OpenDialogUse, ConfirmedUseGivesPathsInTheTypedOrder)
{
    TOpenDialog component;
    Seen seen;
    component.SetRunner(Choose(seen, Folder(), "\"b.txt\" \"a.txt\" \"d e.txt\"", 1));
    ASSERT_TRUE(component.ChooseFiles());
    EXPECT_EQ(component.SelectedPaths(), (QStringList{In("b.txt"), In("a.txt"), In("d e.txt")}));
    EXPECT_EQ(seen.title, QStringLiteral("Vyber soubory do seznamu hromadné změny:"));
    EXPECT_EQ(seen.filters, TOpenDialog::NameFilters());
    EXPECT_EQ(seen.filter, QStringLiteral("TXT soubory"));
    EXPECT_TRUE(seen.existingFiles);
    EXPECT_TRUE(seen.nonNative);
    EXPECT_EQ(QDir::currentPath(), Folder());
}

// Names that are not UTF-8 show with U+FFFD in their place, and so are
// typed. A chosen name is listed with the bytes of the one file whose name
// shows so; when none or several do, it is left out and a notice says so.
TEST(OpenDialogNames, ChosenNamesAreListedWithTheBytesOfTheirOneFile)
{
    struct Case {
        const char* name;
        std::vector<std::string> files; // below the folder, as bytes
        QString typed;
        std::vector<std::string> listed; // below the folder, as bytes
        QStringList leftOut;             // below the folder, as typed
        std::optional<std::string> current; // below the folder; none when it stays
    };
    const Case cases[] = {
        {"code page 1250 names", {"\xe9x.txt", "\xe8\xe1st.txt"}, "\"\uFFFD\uFFFDst.txt\" \"\uFFFDx.txt\"",
         {"\xe8\xe1st.txt", "\xe9x.txt"}, {}, ""},
        {"a folder name that is not UTF-8", {"\xe8/a.txt"}, "\uFFFD/a.txt", {"\xe8/a.txt"}, {}, "\xe8"},
        {"two names alike beside one spelled with U+FFFD", {"\xe8.txt", "\xe9.txt", "\xef\xbf\xbd.txt", "b.txt"},
         "\"\uFFFD.txt\" \"b.txt\"", {"b.txt"}, {"\uFFFD.txt"}, ""},
        {"two names alike, none spelled so", {"\xe8.txt", "\xe9.txt"}, "\uFFFD.txt", {}, {"\uFFFD.txt"}, std::nullopt},
        {"a byte-order mark starting a name stays in it", {"\xe8.txt", "\xef\xbb\xbf\xe8.txt"}, "\uFFFD.txt",
         {"\xe8.txt"}, {}, ""},
    };
    const QString start = QDir::currentPath();
    for (const Case& c : cases) {
        const testing::TempFolder scratch; // Qt would not remove what it cannot decode
        const std::string root = std::filesystem::canonical(scratch.Path()).string();
        const QString folder = QFile::decodeName(QByteArray::fromStdString(root));
        for (const std::string& file : c.files) {
            if (const auto slash = file.find('/'); slash != std::string::npos) {
                ASSERT_EQ(::mkdir((root + '/' + file.substr(0, slash)).c_str(), 0700), 0) << c.name;
            }
            const int fd = ::open((root + '/' + file).c_str(), O_CREAT | O_EXCL | O_WRONLY, 0600);
            ASSERT_GE(fd, 0) << c.name;
            ::close(fd);
        }
        QDir::setCurrent(QStringLiteral("/"));
        TOpenDialog component;
        Seen seen;
        component.SetRunner(Choose(seen, folder, c.typed, 1));
        testing::BoxAnswerer box;
        box.Expect("OK");
        EXPECT_EQ(component.ChooseFiles(), !c.listed.empty()) << c.name;

        std::vector<std::string> listed;
        QStringList shown;
        for (const std::string& file : c.listed) {
            listed.push_back(root + '/' + file);
            shown << QFile::decodeName(QByteArray::fromStdString(listed.back()));
        }
        EXPECT_EQ(component.SelectedPathBytes(), listed) << c.name;
        EXPECT_EQ(component.SelectedPaths(), shown) << c.name;
        QStringList leftOut;
        for (const QString& name : c.leftOut)
            leftOut << folder + u'/' + name;
        EXPECT_EQ(box.shown, leftOut.isEmpty() ? 0 : 1) << c.name;
        EXPECT_EQ(box.text, leftOut.isEmpty() ? QString() : TOpenDialog::UntracedNotice(leftOut)) << c.name;
        EXPECT_EQ(CurrentFolder(), c.current ? root + (c.current->empty() ? "" : '/' + *c.current) : "/") << c.name;
    }
    QDir::setCurrent(start);
}

TEST_F(OpenDialogUse, SingleFileAndAbsoluteNameAmongRelative)
{
    TOpenDialog component;
    Seen seen;
    component.SetRunner(Choose(seen, Folder(), "c.htm", 3));
    ASSERT_TRUE(component.ChooseFiles());
    EXPECT_EQ(component.SelectedPaths(), QStringList{In("c.htm")});

    const QString elsewhere = QDir(other_.path()).absoluteFilePath("x.bat");
    component.SetRunner(Choose(seen, Folder(), "\"a.txt\" \"" + elsewhere + "\"", 7));
    ASSERT_TRUE(component.ChooseFiles());
    EXPECT_EQ(component.SelectedPaths(), (QStringList{In("a.txt"), elsewhere}));
    EXPECT_EQ(component.FilterIndex(), 7);
}

TEST_F(OpenDialogUse, RemembersOnlyTheLastConfirmedUse)
{
    TOpenDialog component;
    Seen first;
    component.SetRunner(Choose(first, Folder(), "\"c.htm\" \"a.txt\"", 3));
    ASSERT_TRUE(component.ChooseFiles());
    EXPECT_EQ(component.FileName(), In("c.htm"));
    EXPECT_EQ(component.FilterIndex(), 3);

    QDir::setCurrent(other_.path());
    Seen cancelled;
    component.SetRunner(Choose(cancelled, QString(), QString(), 1));
    EXPECT_FALSE(component.ChooseFiles());
    EXPECT_TRUE(component.SelectedPaths().isEmpty());
    EXPECT_EQ(component.FileName(), In("c.htm"));
    EXPECT_EQ(component.FilterIndex(), 3);
    EXPECT_EQ(QDir::currentPath(), QDir(other_.path()).absolutePath()) << "a cancel moves nothing";
    // The second use opened in the first chosen file's folder, on entry 3.
    EXPECT_EQ(cancelled.folder, Folder());
    EXPECT_EQ(cancelled.filter, QStringLiteral("HTML a HTM soubory"));
    EXPECT_EQ(cancelled.typed, QStringLiteral("c.htm"));

    Seen third;
    component.SetRunner(Choose(third, Folder(), "a.txt", 1));
    ASSERT_TRUE(component.ChooseFiles());
    EXPECT_EQ(third.folder, Folder());
    EXPECT_EQ(third.filter, QStringLiteral("HTML a HTM soubory"));
    EXPECT_EQ(component.FileName(), In("a.txt"));
    EXPECT_EQ(component.FilterIndex(), 1);
}

TEST_F(OpenDialogUse, SameFilesTwiceAreReturnedBothTimes)
{
    TOpenDialog component;
    Seen seen;
    component.SetRunner(Choose(seen, Folder(), "\"a.txt\" \"b.txt\"", 1));
    ASSERT_TRUE(component.ChooseFiles());
    const QStringList first = component.SelectedPaths();
    ASSERT_TRUE(component.ChooseFiles());
    EXPECT_EQ(component.SelectedPaths(), first);
}

// The file-type box shows each entry's description alone; the entry's
// patterns still decide which files the dialog lists.
TEST_F(OpenDialogUse, FileTypeBoxShowsDescriptionsWhileThePatternsFilter)
{
    TOpenDialog component;
    QStringList shown;
    QStringList patternsFirst;
    QStringList patternsThird;
    component.SetRunner([&](QFileDialog& dialog) {
        const auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        const auto* files = dialog.findChild<QFileSystemModel*>();
        if (types == nullptr || files == nullptr) {
            ADD_FAILURE() << "the dialog has no file-type box or no file model";
            return false;
        }
        for (int i = 0; i < types->count(); ++i)
            shown << types->itemText(i);
        patternsFirst = files->nameFilters();
        dialog.selectNameFilter(dialog.nameFilters().at(2));
        patternsThird = files->nameFilters();
        return false;
    });
    EXPECT_FALSE(component.ChooseFiles());
    EXPECT_EQ(shown, (QStringList{"TXT soubory", "PHP soubory", "HTML a HTM soubory", "PAS soubory",
                                  "BAS soubry", "JS soubory", "BAT soubory"}));
    EXPECT_EQ(patternsFirst, QStringList{"*.txt"});
    EXPECT_EQ(patternsThird, QStringList{"*.htm*"});
}

TEST_F(OpenDialogUse, ModalDialogOpensAThirdDownOnTheScreen)
{
    TOpenDialog component;
    QPoint placed;
    QPoint expected;
    QString title;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            ADD_FAILURE() << "no file dialog is up";
            return;
        }
        title = dialog->windowTitle();
        placed = dialog->frameGeometry().topLeft();
        expected = CentredAtAThirdOfTheFreeHeight(QGuiApplication::primaryScreen()->geometry(),
                                            dialog->frameGeometry().size());
        dialog->setDirectory(Folder());
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText("b.txt");
        static_cast<QDialog*>(dialog)->accept();
    });
    ASSERT_TRUE(component.ChooseFiles());
    EXPECT_EQ(title, QStringLiteral("Vyber soubory do seznamu hromadné změny:"));
    EXPECT_EQ(placed, expected);
    EXPECT_EQ(component.SelectedPaths(), QStringList{In("b.txt")});
}

// Typed names are the answer, in their order, whatever the dialog's list
// has selected meanwhile: the list follows the typing and may hold only the
// first name when Enter is pressed.
TEST_F(OpenDialogUse, TypedNamesArriveInTheirOrderWhateverTheListShows)
{
    struct Case {
        const char* name;
        const char* selectedBefore;
        QString typed;
        QStringList chosen;
    };
    ASSERT_TRUE(QDir(Folder()).mkdir("sub"));
    for (const char* file : {"f1.txt", "f2.txt", "sub/s.txt"})
        Touch(In(file));
    const QString elsewhere = QDir(other_.path()).absoluteFilePath("x.bat");
    const Case cases[] = {
        {"two names sharing a start", "", "\"f1.txt\" \"f2.txt\"", {In("f1.txt"), In("f2.txt")}},
        {"the same the other way round", "", "\"f2.txt\" \"f1.txt\"", {In("f2.txt"), In("f1.txt")}},
        {"three names over the last choice", "a.txt", "\"a.txt\" \"b.txt\" \"c.htm\"",
         {In("a.txt"), In("b.txt"), In("c.htm")}},
        {"names in a sub-folder and another folder", "a.txt",
         "\"sub/s.txt\" \"" + elsewhere + "\" \"f1.txt\"", {In("sub/s.txt"), elsewhere, In("f1.txt")}},
    };
    for (const Case& c : cases) {
        TOpenDialog component;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            auto* edit = dialog ? dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")) : nullptr;
            if (!edit) {
                ADD_FAILURE() << c.name << ": no file dialog with a file name field is up";
                return;
            }
            dialog->setDirectory(Folder());
            if (*c.selectedBefore)
                dialog->selectFile(c.selectedBefore);
            QTest::qWait(200); // the list fills in the background
            edit->selectAll();
            QTest::keyClicks(edit, c.typed);
            QTest::keyClick(edit, Qt::Key_Return);
        });
        EXPECT_TRUE(component.ChooseFiles()) << c.name;
        EXPECT_EQ(component.SelectedPaths(), c.chosen) << c.name;
    }
}

// Czech sizes, types, dates and place names are longer than the English ones
// Qt sizes the dialog for: each cell and each place shows whole.
TEST_F(OpenDialogUse, CzechContentShowsWhole)
{
    QLocale::setDefault(QLocale(QLocale::Czech, QLocale::CzechRepublic));
    QTranslator czech;
    ASSERT_TRUE(czech.load(QStringLiteral("qtbase_cs"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
    QCoreApplication::installTranslator(&czech);
    ASSERT_TRUE(QDir(Folder()).mkdir("sub"));
    for (const auto& [file, size] : {std::pair{"big.txt", 123456}, {"page.htm", 1234}, {"unit.pas", 99}}) {
        QFile out(In(file));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(QByteArray(size, 'x'));
    }
    TOpenDialog component;
    QStringList cut;
    int rows = 0;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        auto* view = dialog ? dialog->findChild<QTreeView*>(QStringLiteral("treeView")) : nullptr;
        auto* places = dialog ? dialog->findChild<QListView*>(QStringLiteral("sidebar")) : nullptr;
        if (!view || !places) {
            ADD_FAILURE() << "no file dialog with a detail view and a side panel is up";
            return;
        }
        for (int entry = 1; entry <= 4; ++entry) { // every file above, one entry after another
            dialog->selectNameFilter(dialog->nameFilters().at(entry - 1));
            dialog->setDirectory(Folder());
            QTest::qWait(200); // the list fills in the background
            const QAbstractItemModel& files = *view->model();
            int columnsWidth = 0;
            for (int column = 0; column < view->header()->count(); ++column)
                columnsWidth += view->header()->sectionSize(column);
            if (columnsWidth > view->viewport()->width())
                cut << QStringLiteral("the columns, %1 wide in a view %2 wide").arg(columnsWidth).arg(view->viewport()->width());
            for (int row = 0; row < files.rowCount(view->rootIndex()); ++row, ++rows) {
                for (int column = 1; column < files.columnCount(view->rootIndex()); ++column) {
                    const QModelIndex cell = files.index(row, column, view->rootIndex());
                    if (view->sizeHintForIndex(cell).width() > view->header()->sectionSize(column))
                        cut << cell.data().toString();
                }
            }
        }
        for (int row = 0; row < places->model()->rowCount(places->rootIndex()); ++row) {
            const QModelIndex place = places->model()->index(row, 0, places->rootIndex());
            if (places->sizeHintForIndex(place).width() > places->viewport()->width())
                cut << place.data().toString();
        }
        dialog->reject();
    });
    EXPECT_FALSE(component.ChooseFiles());
    QCoreApplication::removeTranslator(&czech);
    QLocale::setDefault(QLocale::c());
    EXPECT_GE(rows, 5) << "the dialog listed too few of the files";
    EXPECT_TRUE(cut.isEmpty()) << cut.join(QStringLiteral(" | ")).toStdString();
}

} // namespace
} // namespace ravo
