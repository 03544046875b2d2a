// The backup-and-run dialog with a fake main window: its controls, where it
// places itself, the reset on activation, the layout switch, and what
// continue and cancel do, in which order.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <array>

#include "backup/backup_dialog.h"
#include "backup/directory_list_box.h"
#include "backup/drive_combo_box.h"
#include "run/run_host.h"
#include "tests/support/modal_boxes.h"
#include "tests/support/temporary_tree.h"

namespace ravo {
namespace {

using Events = std::vector<std::string>;

// Records, in one list, everything the dialog asks of the main window.
class FakeHost : public RunHost, OperationLog, ProgressIndicator {
public:
    std::vector<std::string> paths;
    std::array<StringPair, kPairCount> pairs;
    Events events;
    std::vector<std::string> log;
    QWidget* mainWindow = nullptr;

    std::vector<std::string> ListedPaths() const override { return paths; }
    StringPair PairTexts(int pair) const override
    {
        const_cast<FakeHost*>(this)->events.push_back("pair " + std::to_string(pair));
        return pairs.at(static_cast<std::size_t>(pair - 1));
    }
    OperationLog& Log() override { return *this; }
    void ClearLog() override
    {
        log.clear();
        events.push_back("clear");
    }
    void RunStarting() override { events.push_back("run starts"); }
    void RunEnded() override { events.push_back("run ends"); }
    ProgressIndicator& Progress() override { return *this; }
    void ReturnFromDialog() override
    {
        events.push_back("return");
        if (mainWindow != nullptr)
            mainWindow->activateWindow();
    }

    void AppendLine(const std::string& line) override
    {
        log.push_back(line);
        events.push_back("log " + line);
    }
    void SetMinimum(int) override {}
    void SetMaximum(int) override {}
    void SetStep(int) override {}
    void SetPosition(int) override {}
    void SetVisible(bool visible) override { events.push_back(visible ? "progress shown" : "progress hidden"); }
};

class Dialog : public testing::TemporaryTree {
protected:
    void SetUp() override
    {
        TemporaryTree::SetUp();
        files_ = MakeFolder("files");
        SetCurrentFolder(files_);
        form_ = std::make_unique<TForm2>(host_);
        // The main window's stand-in, which takes the activation back.
        other_.resize(200, 100);
        other_.show();
        host_.mainWindow = &other_;
    }
    void TearDown() override
    {
        form_.reset();
        TemporaryTree::TearDown();
    }

    template <typename T>
    T* Control(const char* name) const
    {
        T* control = form_->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    QCheckBox* Box() const { return Control<QCheckBox>("CheckBox1"); }
    TDirectoryListBox* Folders() const { return Control<TDirectoryListBox>("DirectoryListBox1"); }
    TDriveComboBox* Drives() const { return Control<TDriveComboBox>("DriveComboBox1"); }

    void ShowAndActivate()
    {
        form_->show();
        Activate(*form_);
    }
    static void Activate(QWidget& window)
    {
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    void Click(const char* button) { QTest::mouseClick(Control<QPushButton>(button), Qt::LeftButton); }
    void Tick() { QTest::mouseClick(Box(), Qt::LeftButton, {}, QPoint(5, Box()->height() / 2)); }
    int CentreY() const { return form_->screen()->geometry().height() / 2; }

    std::string files_;
    FakeHost host_;
    std::unique_ptr<TForm2> form_;
    QWidget other_;
};

TEST_F(Dialog, ControlsStandWhereTheFormPutsThem)
{
    EXPECT_EQ(form_->windowTitle(), QStringLiteral("Zálohovat soubory před změnou do specifikovaného adresáře?"));
    EXPECT_EQ(form_->size(), QSize(484, 119));
    EXPECT_EQ(form_->parentWidget(), nullptr);
    EXPECT_EQ(form_->palette().color(QPalette::Window), QColor(Qt::white));
    const Qt::WindowFlags flags = form_->windowFlags();
    for (const Qt::WindowType hint : {Qt::WindowCloseButtonHint, Qt::WindowSystemMenuHint,
                                      Qt::WindowMinimizeButtonHint, Qt::WindowMaximizeButtonHint})
        EXPECT_FALSE(flags.testFlag(hint)) << hint;

    struct Case {
        const char* name;
        QRect geometry;
        QString text;
        bool visible;
    };
    const Case cases[] = {
        {"Image1", {32, 16, 49, 49}, {}, true},
        {"CheckBox1", {136, 16, 225, 17}, QStringLiteral("&Zálohovat soubory před změnou?"), true},
        {"DriveComboBox1", {96, 64, 365, 20}, {}, false},
        {"DirectoryListBox1", {96, 104, 365, 129}, {}, false},
        {"Button1", {144, 55, 89, 25}, QStringLiteral("&Pokračovat"), true},
        {"Button2", {256, 55, 89, 25}, QStringLiteral("Zr&ušit"), true},
    };
    for (const Case& c : cases) {
        QWidget* control = Control<QWidget>(c.name);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->geometry(), c.geometry) << c.name;
        EXPECT_EQ(control->isVisibleTo(form_.get()), c.visible) << c.name;
        if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            EXPECT_EQ(button->text(), c.text) << c.name;
        }
    }
    EXPECT_EQ(Control<QLabel>("Label1")->pos(), QPoint(96, 48));
    EXPECT_EQ(Control<QLabel>("Label1")->text(), QStringLiteral("&Disk:"));
    EXPECT_EQ(Control<QLabel>("Label2")->pos(), QPoint(96, 88));
    EXPECT_EQ(Control<QLabel>("Label2")->text(), QStringLiteral("&Složka:"));
    EXPECT_FALSE(Control<QLabel>("Image1")->pixmap().isNull());
    for (const char* name : {"Button1", "Button2"}) {
        EXPECT_FALSE(Control<QPushButton>(name)->isDefault()) << name;
        EXPECT_FALSE(Control<QPushButton>(name)->autoDefault()) << name;
    }
}

// A dialog window, not a child of the main window (which disables itself
// while the dialog is up), but transient for it, so that a window manager
// keeps it above that window.
TEST_F(Dialog, ADialogWindowTransientForTheWindowItBelongsTo)
{
    TForm2 owned(host_, &other_);
    EXPECT_EQ(owned.windowType(), Qt::Dialog);
    EXPECT_EQ(owned.parentWidget(), nullptr);
    owned.show();
    ASSERT_NE(owned.windowHandle(), nullptr);
    EXPECT_EQ(owned.windowHandle()->transientParent(), other_.windowHandle());
    other_.setEnabled(false);
    EXPECT_TRUE(owned.isEnabled());
    other_.setEnabled(true);
    owned.hide();
}

TEST_F(Dialog, TickingSwitchesBetweenTheCompactAndTheExtendedLayout)
{
    ShowAndActivate();
    struct Case {
        bool ticked;
        int height;
        int buttonTop;
    };
    for (const Case c : {Case{true, 300, 240}, Case{false, 118, 55}, Case{true, 300, 240}}) {
        Tick();
        EXPECT_EQ(Box()->isChecked(), c.ticked);
        EXPECT_EQ(form_->size(), QSize(484, c.height));
        EXPECT_EQ(Control<QPushButton>("Button1")->geometry(), QRect(144, c.buttonTop, 89, 25));
        EXPECT_EQ(Control<QPushButton>("Button2")->geometry(), QRect(256, c.buttonTop, 89, 25));
        for (const char* name : {"Label1", "Label2", "DriveComboBox1", "DirectoryListBox1"})
            EXPECT_EQ(Control<QWidget>(name)->isVisible(), c.ticked) << name;
    }
}

// The rule places the outer size: the offscreen platform frames its windows
// too, so a placement by the client size would land elsewhere.
TEST_F(Dialog, PlacedByTheHeightItHadWhenLastLeft)
{
    const QRect screen = form_->screen()->geometry();
    host_.paths = {MakeFile("files/a.txt")};

    ShowAndActivate();
    const QSize frame = form_->frameGeometry().size() - form_->size();
    ASSERT_GT(frame.height(), 0) << "a frame to tell the outer size from the client size";
    const int left = screen.width() / 2 - (484 + frame.width()) / 2;
    const auto topFor = [&](int height) { return CentreY() - (height + frame.height()); };
    EXPECT_EQ(form_->pos(), QPoint(left, topFor(119)));
    EXPECT_EQ(form_->size(), QSize(484, 119)) << "unticking an unticked box switches nothing";

    Tick();
    Click("Button1");
    ASSERT_FALSE(form_->isVisible());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other_)) << "the main window is active again";
    ShowAndActivate();
    const int afterBackup = form_->pos().y();
    EXPECT_EQ(afterBackup, topFor(300));
    EXPECT_FALSE(Box()->isChecked());

    Click("Button2");
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other_));
    ShowAndActivate();
    const int afterNone = form_->pos().y();
    EXPECT_EQ(afterNone, topFor(118));
    EXPECT_EQ(afterNone - afterBackup, 182);
    EXPECT_EQ(form_->pos().x(), left);
}

TEST_F(Dialog, ComingBackFromAnotherWindowUnticksAndHidesTheChooser)
{
    ShowAndActivate();
    Tick();
    ASSERT_TRUE(Box()->isChecked());
    Activate(other_);
    EXPECT_TRUE(Box()->isChecked()) << "leaving changes nothing";
    Activate(*form_);
    EXPECT_FALSE(Box()->isChecked());
    EXPECT_EQ(form_->size(), QSize(484, 118));
    for (const char* name : {"Label1", "Label2", "DriveComboBox1", "DirectoryListBox1"})
        EXPECT_FALSE(Control<QWidget>(name)->isVisible()) << name;
}

TEST_F(Dialog, TheChooserFillsOnTheFirstTickAndKeepsItsFolderAcrossRuns)
{
    EXPECT_EQ(Folders()->count(), 0);
    EXPECT_EQ(Drives()->count(), 0);
    EXPECT_EQ(Folders()->FolderPath(), files_);
    SetCurrentFolder("/");  // the chooser stays where it was created

    ShowAndActivate();
    Tick();
    EXPECT_GT(Drives()->count(), 0);
    EXPECT_GE(Drives()->currentIndex(), 0);
    EXPECT_EQ(Folders()->FolderPath(), files_);
    EXPECT_EQ(Folders()->item(Folders()->currentRow())->text(), QStringLiteral("files"));

    const std::string backups = MakeFolder("backups");
    Folders()->EnterFolder(backups);
    Click("Button1");
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other_));
    ShowAndActivate();
    EXPECT_FALSE(Box()->isChecked());
    Tick();
    EXPECT_EQ(Folders()->FolderPath(), backups);
    EXPECT_EQ(Folders()->item(Folders()->currentRow())->text(), QStringLiteral("backups"));
}

TEST_F(Dialog, EnterAndEscapeMeanNothingSpecial)
{
    ShowAndActivate();
    for (const char* name : {"Button1", "Button2"}) {
        QPushButton* button = Control<QPushButton>(name);
        button->setFocus();
        QTest::keyClick(button, Qt::Key_Return);
        QTest::keyClick(button, Qt::Key_Enter);
        QTest::keyClick(button, Qt::Key_Escape);
    }
    QTest::keyClick(form_.get(), Qt::Key_Escape);
    EXPECT_TRUE(form_->isVisible());
    EXPECT_TRUE(host_.events.empty());
}

TEST_F(Dialog, CancelOnlyReturnsToTheMainWindow)
{
    const std::string path = MakeFile("files/a.txt", "alpha\r\n");
    host_.paths = {path};
    host_.pairs[0] = {"alpha", "beta"};
    host_.log = {"earlier run"};
    ShowAndActivate();
    Tick();
    Click("Button2");
    EXPECT_FALSE(form_->isVisible());
    EXPECT_EQ(host_.events, (Events{"return"}));
    EXPECT_EQ(host_.log, (std::vector<std::string>{"earlier run"}));
    EXPECT_EQ(ReadFile(path), "alpha\r\n");
}

TEST_F(Dialog, ClosedByTheWindowManagerCountsAsCancel)
{
    ShowAndActivate();
    form_->close();
    EXPECT_FALSE(form_->isVisible());
    EXPECT_EQ(host_.events, (Events{"return"}));
}

TEST_F(Dialog, ContinueWithoutBackupSaysSoAndRunsTheFourPairsInTurn)
{
    const std::string a = MakeFile("files/a.txt", "one two\r\n");
    const std::string b = MakeFile("files/b.txt", "two one\r\n");
    host_.paths = {a, b};
    host_.pairs = {StringPair{"one", "1"}, StringPair{}, StringPair{"two", "2"}, StringPair{}};
    ShowAndActivate();
    Click("Button1");

    EXPECT_FALSE(form_->isVisible());
    const Events expected = {
        "return",
        "clear",
        "run starts",
        "log " + std::string(kNoBackupLine),
        "pair 1",
        "progress shown",
        "log " + ModifiedLine(a),
        "log " + ModifiedLine(b),
        "pair 2",
        "pair 3",
        "progress shown",
        "log " + ModifiedLine(a),
        "log " + ModifiedLine(b),
        "pair 4",
        "progress hidden",
        "run ends",
    };
    EXPECT_EQ(host_.events, expected);
    EXPECT_EQ(ReadFile(a), "1 2\r\n");
    EXPECT_EQ(ReadFile(b), "2 1\r\n");
}

TEST_F(Dialog, ContinueWithBackupCopiesIntoTheChosenFolderFirst)
{
    const std::string a = MakeFile("files/a.txt", "alpha\r\n");
    MakeFolder("files/sub");
    MakeFolder("files/other");
    const std::string b = MakeFile("files/sub/b.txt", "alpha beta\r\n");
    const std::string twin = MakeFile("files/other/a.txt", "alpha twin\r\n");
    const std::string backups = MakeFolder("backups");
    host_.paths = {a, b, twin};
    host_.pairs[1] = {"alpha", "omega"};
    ShowAndActivate();
    Tick();
    Folders()->EnterFolder(backups);
    Click("Button1");

    const Events expected = {
        "return",
        "clear",
        "run starts",
        "log " + backups,
        "log " + BackedUpLine(a, backups + "/a.txt"),
        "log " + BackedUpLine(b, backups + "/b.txt"),
        "log " + NotBackedUpLine(twin, backups + "/a.txt"),
        "pair 1",
        "pair 2",
        "progress shown",
        "log " + ModifiedLine(a),
        "log " + ModifiedLine(b),
        "log " + ModifiedLine(twin),
        "pair 3",
        "pair 4",
        "progress hidden",
        "run ends",
    };
    EXPECT_EQ(host_.events, expected);
    EXPECT_EQ(ReadFile(backups + "/a.txt"), "alpha\r\n");
    EXPECT_EQ(ReadFile(backups + "/b.txt"), "alpha beta\r\n");
    EXPECT_EQ(ReadFile(a), "omega\r\n");
    EXPECT_EQ(ReadFile(twin), "omega twin\r\n");
}

TEST_F(Dialog, AnErrorEndsTheRunInTheErrorBoxWithTheProgressBarLeftShown)
{
    const std::string missing = files_ + "/missing.txt";
    const std::string later = MakeFile("files/later.txt", "alpha\r\n");
    host_.paths = {missing, later};
    host_.pairs[0] = {"alpha", "omega"};
    ShowAndActivate();

    QString shown;
    Events beforeTheBox;
    testing::ModalWatch<QMessageBox> answer([&](QMessageBox& box) {
        shown = box.text();
        beforeTheBox = host_.events;
        box.accept();
    });
    answer.Start();
    Click("Button1");
    answer.Stop();

    EXPECT_EQ(shown, QStringLiteral("File not found."));
    const Events expected = {"return", "clear", "run starts", "log " + std::string(kNoBackupLine),
                             "pair 1", "progress shown", "run ends"};
    EXPECT_EQ(beforeTheBox, expected) << "the run's log is complete when the box comes up";
    EXPECT_EQ(host_.events, expected);
    EXPECT_EQ(ReadFile(later), "alpha\r\n");
    EXPECT_FALSE(form_->isVisible());
}

} // namespace
} // namespace ravo
