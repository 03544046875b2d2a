// The folder chooser on a temporary folder tree: which rows the folder list
// shows and how it draws them, where each row leads, and how the drive
// selector moves the list between volumes.
#include <QApplication>
#include <QLocale>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <vector>

#include "backup/directory_list_box.h"
#include "backup/drive_combo_box.h"
#include "backup/folder_chooser.h"
#include "tests/support/temporary_tree.h"

namespace ravo {
namespace {

using Kind = TDirectoryListBox::RowKind;

struct Row {
    QString text;
    Kind kind;
    int indent;
    bool operator==(const Row&) const = default;
};

void PrintTo(const Row& row, std::ostream* out)
{
    *out << row.text.toStdString() << "/" << static_cast<int>(row.kind) << "/" << row.indent;
}

std::vector<Row> RowsOf(const TDirectoryListBox& list)
{
    std::vector<Row> rows;
    for (int i = 0; i < list.count(); ++i)
        rows.push_back({list.item(i)->text(), list.KindOf(i), list.IndentOf(i)});
    return rows;
}

// The path rows a folder should get: "/" and then one row per component.
std::vector<Row> PathRows(const std::string& folder)
{
    std::vector<Row> rows{{QStringLiteral("/"), folder == "/" ? Kind::Current : Kind::Open, 2}};
    const QStringList parts = QString::fromStdString(folder).split('/', Qt::SkipEmptyParts);
    for (int i = 0; i < parts.size(); ++i)
        rows.push_back({parts[i], i + 1 == parts.size() ? Kind::Current : Kind::Open, 4 * (i + 1) + 2});
    return rows;
}

std::vector<Row> SubFolderRows(const std::string& folder, const QStringList& names)
{
    const int slashes = folder == "/" ? 1 : static_cast<int>(std::count(folder.begin(), folder.end(), '/'));
    std::vector<Row> rows;
    for (const QString& name : names)
        rows.push_back({name, Kind::Closed, 4 * (slashes + 1) + 2});
    return rows;
}

std::vector<Row> Concat(std::vector<Row> a, const std::vector<Row>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

int RowOf(const TDirectoryListBox& list, const QString& text)
{
    for (int i = 0; i < list.count(); ++i)
        if (list.item(i)->text() == text)
            return i;
    return -1;
}

class Chooser : public testing::TemporaryTree {
protected:
    void SetUp() override
    {
        TemporaryTree::SetUp();
        nested_ = MakeFolder("Data/Texts");
        MakeFolder("Data/Texts/Old");
        MakeFolder("Data/Texts/New");
        MakeFile("Data/Texts/readme.txt");
    }
    // A list created while the process stands in folder.
    std::unique_ptr<TDirectoryListBox> ListIn(const std::string& folder)
    {
        EXPECT_TRUE(SetCurrentFolder(folder));
        auto list = std::make_unique<TDirectoryListBox>();
        list->Fill();
        return list;
    }

    std::string nested_;
};

TEST_F(Chooser, ANestedFolderShowsItsPathThenItsSubFolders)
{
    const auto list = ListIn(nested_);
    EXPECT_EQ(list->FolderPath(), nested_);
    EXPECT_EQ(RowsOf(*list), Concat(PathRows(nested_), SubFolderRows(nested_, {"New", "Old"})));
    EXPECT_EQ(list->currentRow(), static_cast<int>(PathRows(nested_).size()) - 1);
}

TEST_F(Chooser, TheRootIsOneCurrentRowFollowedByItsSubFolders)
{
    const auto list = ListIn("/");
    EXPECT_EQ(list->FolderPath(), "/");
    ASSERT_GT(list->count(), 2);
    EXPECT_EQ(RowsOf(*list)[0], (Row{QStringLiteral("/"), Kind::Current, 2}));
    EXPECT_EQ(list->currentRow(), 0);
    const int usr = RowOf(*list, QStringLiteral("usr"));
    ASSERT_GT(usr, 0);
    EXPECT_EQ(RowsOf(*list)[usr], (Row{QStringLiteral("usr"), Kind::Closed, 10}));
    EXPECT_EQ(list->RowPath(usr), "/usr");
    EXPECT_EQ(list->RowPath(0), "/");
}

TEST_F(Chooser, SubFoldersAreSortedByTheLocaleWithoutCaseHiddenAndDuplicatesLeftOut)
{
    const std::string folder = MakeFolder("sorting");
    for (const char* name : {"gamma", "beta", "Alpha", "dort", "čaj", "cukr", "BETA", "Delta", ".hidden", ".git"})
        MakeFolder(std::string("sorting/") + name);
    MakeFile("sorting/aardvark.txt");
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::Czech, QLocale::CzechRepublic));
    const auto list = ListIn(folder);
    QLocale::setDefault(saved);

    // "BETA" and "beta" differ only in case: the first in byte order stays.
    EXPECT_EQ(RowsOf(*list), Concat(PathRows(folder), SubFolderRows(folder, {"Alpha", "BETA", "cukr", "čaj", "Delta",
                                                                                "dort", "gamma"})));
}

TEST_F(Chooser, RowPathGivesTheFolderEveryKindOfRowStandsFor)
{
    const auto list = ListIn(nested_);
    const int current = list->currentRow();
    const std::string data = root_ + "/Data";
    struct Case {
        int row;
        std::string path;
    };
    const Case cases[] = {
        {0, "/"},
        {1, nested_.substr(0, nested_.find('/', 1))},
        {current - 1, data},
        {current, nested_},
        {current + 1, nested_ + "/New"},
        {current + 2, nested_ + "/Old"},
        {current + 3, ""},
        {-1, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(list->RowPath(c.row), c.path) << c.row;
}

TEST_F(Chooser, EnterOnASubFolderMovesIntoItAndArrowKeysAloneDoNot)
{
    const auto list = ListIn(nested_);
    list->show();
    QTest::keyClick(list.get(), Qt::Key_Down);
    QTest::keyClick(list.get(), Qt::Key_Down);
    EXPECT_EQ(list->FolderPath(), nested_);
    EXPECT_EQ(list->item(list->currentRow())->text(), QStringLiteral("Old"));

    MakeFolder("Data/Texts/Old/2019");
    QTest::keyClick(list.get(), Qt::Key_Return);
    const std::string old = nested_ + "/Old";
    EXPECT_EQ(list->FolderPath(), old);
    EXPECT_EQ(CurrentFolder(), old);
    EXPECT_EQ(RowsOf(*list), Concat(PathRows(old), SubFolderRows(old, {"2019"})));
    EXPECT_EQ(list->currentRow(), static_cast<int>(PathRows(old).size()) - 1);
}

TEST_F(Chooser, DoubleClickOnAPathRowMovesUpAndOnTheCurrentRowDoesNothing)
{
    const auto list = ListIn(nested_);
    list->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list.get()));
    const auto doubleClick = [&](int row) {
        const QPoint centre = list->visualItemRect(list->item(row)).center();
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
    };
    MakeFolder("Data/Texts/Later");
    doubleClick(list->currentRow());
    EXPECT_EQ(RowOf(*list, QStringLiteral("Later")), -1) << "the list was rebuilt";

    doubleClick(list->currentRow() - 1);
    EXPECT_EQ(list->FolderPath(), root_ + "/Data");
    EXPECT_EQ(RowsOf(*list), Concat(PathRows(root_ + "/Data"), SubFolderRows(root_ + "/Data", {"Texts"})));
}

TEST_F(Chooser, EnteringRowZeroGoesToTheRoot)
{
    const auto list = ListIn(nested_);
    list->EnterFolder(list->RowPath(0));
    EXPECT_EQ(list->FolderPath(), "/");
    EXPECT_EQ(CurrentFolder(), "/");
    EXPECT_EQ(RowsOf(*list)[0], (Row{QStringLiteral("/"), Kind::Current, 2}));
}

TEST_F(Chooser, PathsAreResolvedFromTheFolderShown)
{
    struct Case {
        std::string path;
        std::string expected;
    };
    const Case cases[] = {
        {"Old", nested_ + "/Old"},
        {"./New/", nested_ + "/New"},
        {"..", root_ + "/Data"},
        {nested_ + "/readme.txt", nested_},
        {"readme.txt", nested_},
        {nested_ + "//Old", nested_ + "/Old"},
    };
    for (const Case& c : cases) {
        const auto list = ListIn(nested_);
        SetCurrentFolder("/");
        list->EnterFolder(c.path);
        EXPECT_EQ(list->FolderPath(), c.expected) << c.path;
        EXPECT_EQ(CurrentFolder(), c.expected) << c.path;
    }
}

TEST_F(Chooser, ARefusedMoveShowsNothingAndKeepsTheFolder)
{
    const std::string gone = MakeFolder("Data/Texts/Gone");
    const auto list = ListIn(nested_);
    const int goneRow = RowOf(*list, QStringLiteral("Gone"));
    ASSERT_GT(goneRow, 0);
    ASSERT_TRUE(QDir(QString::fromStdString(gone)).removeRecursively());
    SetCurrentFolder("/");

    list->EnterFolder(list->RowPath(goneRow));
    EXPECT_EQ(list->FolderPath(), nested_);
    EXPECT_EQ(CurrentFolder(), nested_);
    EXPECT_EQ(RowOf(*list, QStringLiteral("Gone")), -1) << "refilled for the folder shown";

    list->EnterFolder(root_ + "/no/such/folder");
    EXPECT_EQ(list->FolderPath(), nested_);
}

TEST_F(Chooser, AFolderRemovedUnderTheListKeepsItsPathAndShowsNoSubFolders)
{
    const std::string doomed = MakeFolder("Doomed");
    MakeFolder("Doomed/Inner");
    const auto list = ListIn(doomed);
    ASSERT_TRUE(QDir(QString::fromStdString(doomed)).removeRecursively());
    list->EnterFolder(doomed + "/Inner");
    EXPECT_EQ(list->FolderPath(), doomed);
    EXPECT_EQ(RowsOf(*list), PathRows(doomed));
}

// Fake volumes: folders of the tree standing in for mount points.
class Volumes : public Chooser {
protected:
    void SetUp() override
    {
        Chooser::SetUp();
        first_ = MakeFolder("first");
        second_ = MakeFolder("second");
        MakeFolder("first/inner");
        MakeFolder("second/deep/deeper");
        list_ = ListIn(first_);
        selector_.SetVolumeSource([this] {
            return std::vector<Volume>{{first_, VolumeKind::Hard, QStringLiteral("first [one]")},
                                       {second_, VolumeKind::Floppy, QStringLiteral("second")},
                                       {root_ + "/absent", VolumeKind::CdRom, QStringLiteral("absent []")}};
        });
        ConnectChooser(selector_, *list_);
        selector_.Fill();
    }

    // Selects a volume in the selector or, with none given, enters a folder
    // in the list.
    void Move(const std::string& select, const std::string& enter)
    {
        if (!select.empty())
            selector_.SelectDrive(select);
        else
            list_->EnterFolder(enter);
    }

    std::string first_;
    std::string second_;
    std::unique_ptr<TDirectoryListBox> list_;
    TDriveComboBox selector_;
};

TEST_F(Volumes, FillingSelectsTheListsVolumeAndLeavesTheListWhereItIs)
{
    ASSERT_EQ(selector_.count(), 3);
    EXPECT_EQ(selector_.itemText(0), QStringLiteral("first [one]"));
    EXPECT_EQ(selector_.KindOf(1), VolumeKind::Floppy);
    EXPECT_EQ(selector_.currentIndex(), 0);
    EXPECT_EQ(selector_.DriveLetter(), first_);
    EXPECT_EQ(list_->FolderPath(), first_);
}

TEST_F(Volumes, EachVolumeReturnsToTheFolderItLastShowed)
{
    struct Step {
        std::string select;  // a volume to select, or
        std::string enter;   // a folder to enter
        std::string expected;
    };
    const Step steps[] = {
        {"", first_ + "/inner", first_ + "/inner"},
        {second_, "", second_},
        {"", second_ + "/deep/deeper", second_ + "/deep/deeper"},
        {first_, "", first_ + "/inner"},
        {second_, "", second_ + "/deep/deeper"},
        {"", second_ + "/deep", second_ + "/deep"},
        {first_, "", first_ + "/inner"},
        {second_, "", second_ + "/deep"},
    };
    for (const Step& step : steps) {
        Move(step.select, step.enter);
        EXPECT_EQ(list_->FolderPath(), step.expected) << step.select << step.enter;
        EXPECT_EQ(CurrentFolder(), step.expected);
    }
}

TEST_F(Volumes, TheSelectorFollowsTheListOntoAnotherVolume)
{
    list_->EnterFolder(second_ + "/deep");
    EXPECT_EQ(selector_.DriveLetter(), second_);
    EXPECT_EQ(selector_.currentIndex(), 1);
    list_->EnterFolder(root_);
    EXPECT_EQ(selector_.DriveLetter(), "");
    EXPECT_EQ(selector_.currentIndex(), -1);
    EXPECT_EQ(list_->FolderPath(), root_);
}

TEST_F(Volumes, AKeyOnTheSelectorMovesTheListAtOnce)
{
    selector_.show();
    QTest::keyClick(&selector_, Qt::Key_Down);
    EXPECT_EQ(selector_.DriveLetter(), second_);
    EXPECT_EQ(list_->FolderPath(), second_);
    QTest::keyClick(&selector_, Qt::Key_Up);
    EXPECT_EQ(list_->FolderPath(), first_);
}

TEST_F(Volumes, ARefusedVolumeLeavesTheListWhereItWas)
{
    list_->EnterFolder(first_ + "/inner");
    SetCurrentFolder(second_);  // as the open-file dialog might have left it
    selector_.SelectDrive(root_ + "/absent");
    EXPECT_EQ(list_->FolderPath(), first_ + "/inner");
    EXPECT_EQ(CurrentFolder(), first_ + "/inner");
    EXPECT_EQ(selector_.currentIndex(), 2) << "the selector keeps showing the volume chosen";
}

// A move goes from the control it starts in to the other one and stops
// there: the list following a choice announces no volume, the selector
// following the list announces no choice.
TEST_F(Volumes, EachMoveTravelsOneWay)
{
    QSignalSpy chosen(&selector_, &TDriveComboBox::DriveSelected);
    QSignalSpy shown(list_.get(), &TDirectoryListBox::VolumeShown);
    struct Step {
        std::string select;  // a volume to select, or
        std::string enter;   // a folder to enter
        int chosen;
        int shown;
    };
    const Step steps[] = {
        {second_, "", 1, 0},
        {"", first_ + "/inner", 0, 1},
        {"", second_ + "/deep", 0, 1},
        {root_ + "/absent", "", 1, 0},
    };
    for (const Step& step : steps) {
        chosen.clear();
        shown.clear();
        Move(step.select, step.enter);
        EXPECT_EQ(chosen.count(), step.chosen) << step.select << step.enter;
        EXPECT_EQ(shown.count(), step.shown) << step.select << step.enter;
    }
}

TEST_F(Volumes, AVolumeWhoseLastFolderIsGoneReturnsToItsMountPoint)
{
    list_->EnterFolder(second_ + "/deep/deeper");
    selector_.SelectDrive(first_);
    ASSERT_TRUE(QDir(QString::fromStdString(second_ + "/deep")).removeRecursively());
    selector_.SelectDrive(second_);
    EXPECT_EQ(list_->FolderPath(), second_);
}

TEST(FolderRows, RowHeightIsTheFontsHeightButAtLeastTheFolderPictures)
{
    for (const int pixels : {8, 11, 14, 30}) {
        TDirectoryListBox list;
        QFont font = list.font();
        font.setPixelSize(pixels);
        list.setFont(font);
        list.Fill();
        list.show();
        const int expected = std::max(QFontMetrics(font).height(), 16);
        EXPECT_EQ(list.visualItemRect(list.item(0)).height(), expected) << pixels;

        TDriveComboBox selector;
        selector.setFont(font);
        selector.SetVolumeSource([] { return std::vector<Volume>{{"/", VolumeKind::Hard, QStringLiteral("/ []")}}; });
        selector.Fill();
        QStyleOptionViewItem option;
        option.initFrom(&selector);
        option.fontMetrics = QFontMetrics(font);
        EXPECT_EQ(selector.itemDelegate()->sizeHint(option, selector.model()->index(0, 0)).height(),
                  std::max(QFontMetrics(font).height(), 11))
            << pixels;
    }
}

// Where a row's picture lands: at its indent, centred in the row; its key
// colour (the bottom-left pixel) shows the row's background.
TEST_F(Chooser, PicturesStandAtTheirIndentsAndShowTheBackgroundThroughTheirKeyColour)
{
    const auto list = ListIn(nested_);
    list->resize(300, 400);
    list->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list.get()));
    const QImage shot = list->viewport()->grab().toImage();
    const QImage open = QImage(QStringLiteral(":/openfolder.png")).convertToFormat(QImage::Format_RGB32);
    for (const int row : {1, list->currentRow(), list->currentRow() + 1}) {
        const QRect rect = list->visualItemRect(list->item(row));
        const int left = rect.left() + list->IndentOf(row);
        const int top = (rect.top() + rect.top() + rect.height() - 15) / 2;
        const QColor background =
            list->palette().color(row == list->currentRow() ? QPalette::Highlight : QPalette::Base);
        EXPECT_EQ(shot.pixelColor(left, top + 14), background) << row;
        EXPECT_EQ(shot.pixelColor(left, top + 6), QColor(Qt::black)) << "folder outline, row " << row;
        EXPECT_EQ(shot.pixelColor(left - 1, top + 6), background) << row;
    }
    EXPECT_EQ(open.pixelColor(0, 14), QColor(0, 0x80, 0x80)) << "the picture's own key colour";
}

} // namespace
} // namespace ravo
