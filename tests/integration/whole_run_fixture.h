// The program's three windows wired as at start, over a folder of text files:
// files chosen in the file dialog, strings typed into the fields, the run
// started with the run button and continued or cancelled in the
// backup-and-run dialog by clicks. Every modal box that comes up is noted and
// answered, so a run never waits on one for ever.
#pragma once

#include "tests/support/event_counts.h"
#include "tests/support/qt_printers.h"
#include "tests/app/main_window_fixture.h"

#include <QCheckBox>
#include <QDirIterator>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>

#include <array>

#include "app/program.h"
#include "backup/directory_list_box.h"

namespace ravo::testing {

// A modal box as it came up.
struct SeenBox {
    QString caption;
    QString text;
    bool stopIcon = false;
    bool operator==(const SeenBox&) const = default;
};

inline void PrintTo(const SeenBox& box, std::ostream* out)
{
    *out << '{' << box.caption.toStdString() << ", " << box.text.toStdString() << (box.stopIcon ? ", stop}" : "}");
}

// Notes and answers every modal box: a message box with its default answer,
// anything else by closing it.
class ModalBoxWatch {
public:
    ModalBoxWatch() { watch_.Start(); }
    std::vector<SeenBox> seen;

private:
    void answer(QWidget& modal)
    {
        if (auto* box = qobject_cast<QMessageBox*>(&modal)) {
            seen.push_back({box->windowTitle(), box->text(), box->icon() == QMessageBox::Critical});
            box->accept();
        } else {
            seen.push_back({modal.windowTitle(), QStringLiteral("<not a message box>")});
            modal.close();
        }
    }
    ModalWatch<QWidget> watch_{[this](QWidget& modal) { answer(modal); }};
};

class WholeRun : public MainWindowTest {
protected:
    // The folder below the test folder that backups go into.
    static constexpr const char* kBackupFolder = "zaloha";

    void SetUp() override
    {
        MainWindowTest::SetUp();
        form2_ = &program_->BackupDialog();
        form3_ = &program_->HelpWindow();
        Bar()->installEventFilter(&barEvents_);
        ShowActive();
    }

    void TearDown() override
    {
        form2_ = nullptr;
        form3_ = nullptr;
        form_ = nullptr;
        program_.reset();
        MainWindowTest::TearDown();
    }

    // The program as it starts; the folder chooser starts in the folder
    // current at that moment.
    TForm1& MakeWindows() override
    {
        [[maybe_unused]] static const bool setUp = (SetUpApplication(*qApp), true);
        EXPECT_TRUE(QDir(folder_.path()).mkdir(QString::fromLatin1(kBackupFolder)));
        EXPECT_TRUE(QDir::setCurrent(folder_.path()));
        program_ = std::make_unique<Program>();
        return program_->MainWindow();
    }

    // The folder as the file dialog lists its files.
    QString Folder() const { return folder_.path(); }
    // The folder as the system reports it, which is how the chooser shows it.
    QString SystemFolder() const { return QDir(folder_.path()).canonicalPath(); }
    QString BackupFolder() const { return SystemFolder() + u'/' + QString::fromLatin1(kBackupFolder); }

    void Write(const QString& name, const QByteArray& content)
    {
        const QString path = folder_.filePath(name);
        ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath())) << path.toStdString();
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
        ASSERT_EQ(file.write(content), content.size());
    }
    QByteArray Read(const QString& name) const
    {
        QFile file(folder_.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArrayLiteral("<missing>");
    }

    // The files below a folder of the test folder, by relative name, sorted.
    QStringList FilesBelow(const QString& relative) const
    {
        const QDir base(folder_.filePath(relative));
        QStringList names;
        QDirIterator files(base.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (files.hasNext())
            names << base.relativeFilePath(files.next());
        names.sort();
        return names;
    }

    // Originals then replacements, in field order: Edit1 to Edit8.
    void TypeFields(const std::array<QString, 8>& texts)
    {
        for (int n = 1; n <= 8; ++n) {
            QLineEdit* field = Edit(n);
            field->clear();
            Type(*field, texts[static_cast<std::size_t>(n - 1)]);
        }
    }

    // Key by key; a letter beyond ASCII comes as its text, as a Czech
    // keyboard sends it.
    static void Type(QWidget& field, const QString& text)
    {
        for (const QChar letter : text) {
            if (letter.unicode() < 0x80)
                QTest::keyClick(&field, static_cast<char>(letter.unicode()));
            else
                QTest::sendKeyEvent(QTest::Click, &field, Qt::Key_unknown, QString(letter), Qt::NoModifier);
        }
    }

    template <typename T>
    T* DialogControl(const char* name) const
    {
        T* control = form2_->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    QProgressBar* Bar() const { return Child<QProgressBar>(QStringLiteral("ProgressBar1")); }
    TDirectoryListBox* Folders() const { return DialogControl<TDirectoryListBox>("DirectoryListBox1"); }

    // The run button; the dialog comes up active over the disabled window.
    void StartRun()
    {
        QTest::mouseClick(Child<QPushButton>(QStringLiteral("Button3")), Qt::LeftButton);
        ASSERT_TRUE(form2_->isVisible());
        // Qt counts a dialog as active while the window it is transient for
        // is, so the activation is awaited as the application sees it.
        ASSERT_TRUE(WaitFor([this] { return QApplication::activeWindow() == form2_; }));
        EXPECT_FALSE(form_->isEnabled());
    }

    void Tick()
    {
        QCheckBox* box = DialogControl<QCheckBox>("CheckBox1");
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
        ASSERT_TRUE(box->isChecked());
    }

    // Ticks the box and enters the folder's row in the folder list by Enter.
    void TickAndChoose(const QString& folder)
    {
        Tick();
        TDirectoryListBox* folders = Folders();
        const std::string wanted = QFile::encodeName(folder).toStdString();
        int row = 0;
        while (row < folders->count() && folders->RowPath(row) != wanted)
            ++row;
        ASSERT_LT(row, folders->count()) << "no row for " << wanted;
        folders->setCurrentRow(row);
        QTest::keyClick(folders, Qt::Key_Return);
        ASSERT_EQ(folders->FolderPath(), wanted);
    }

    // Either button hides the dialog and enables the main window.
    void Press(const char* button)
    {
        QTest::mouseClick(DialogControl<QPushButton>(button), Qt::LeftButton);
        EXPECT_FALSE(form2_->isVisible());
        EXPECT_TRUE(form_->isEnabled());
    }
    // ... and gives the main window the focus back.
    void PressAndReturn(const char* button)
    {
        Press(button);
        EXPECT_TRUE(WaitFor([this] { return form_->isActiveWindow(); })) << "the main window has the focus back";
    }
    void Continue() { PressAndReturn("Button1"); }
    void Cancel() { PressAndReturn("Button2"); }

    QStringList LogLines() const
    {
        QStringList lines = Child<QPlainTextEdit>(QStringLiteral("Memo3"))->toPlainText().split(u'\n');
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        return lines;
    }

    std::unique_ptr<Program> program_;
    TForm2* form2_ = nullptr;
    TForm3* form3_ = nullptr;
    ModalBoxWatch boxes_;
    testing::EventCounts barEvents_;
};

} // namespace ravo::testing
