// A main window under test with its companions stood in by plain windows,
// the editor start recorded instead of run, files chosen through the real
// file dialog by typing their names, and message boxes answered as they come.
#pragma once

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/open_dialog.h"
#include "app/main_window.h"
#include "tests/support/files.h"
#include "tests/support/modal_boxes.h"

namespace ravo::testing {

// Keeps processing events until the condition holds or the time is up.
inline bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 3000)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QTest::qWait(10);
    }
    return true;
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedFolder_ = QDir::currentPath();
        for (const char* name : {"a.txt", "b.txt", "c.txt", "d e.txt"}) {
            QFile file(folder_.filePath(QString::fromUtf8(name)));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
        form_ = &MakeWindows();
        form_->SetProgramStarter([this](const std::string& commandLine) { started_.push_back(commandLine); });
    }

    void TearDown() override
    {
        form_ = nullptr;
        ownForm_.reset();
        QDir::setCurrent(savedFolder_);
        // Qt leaves behind the names it cannot decode.
        std::error_code ignored;
        std::filesystem::remove_all(Bytes(folder_.path()), ignored);
    }

    // The main window alone, its companions stood in by plain windows.
    virtual TForm1& MakeWindows()
    {
        ownForm_ = std::make_unique<TForm1>();
        ownForm_->SetCompanionWindows(&runDialog_, &helpWindow_);
        return *ownForm_;
    }

    void ShowActive()
    {
        form_->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form_));
    }

    template <typename T>
    T* Child(const QString& name) const
    {
        T* child = form_->findChild<T*>(name);
        EXPECT_NE(child, nullptr) << name.toStdString();
        return child;
    }
    QListWidget* List() const { return Child<QListWidget>(QStringLiteral("ListBox1")); }
    QLineEdit* Edit(int number) const { return Child<QLineEdit>(QStringLiteral("Edit%1").arg(number)); }
    QAction* Entry(const char* name) const { return Child<QAction>(QString::fromLatin1(name)); }
    QToolButton* Tool(const char* name) const { return Child<QToolButton>(QString::fromLatin1(name)); }
    QString PathOf(const char* name) const { return folder_.filePath(QString::fromUtf8(name)); }
    static std::string Bytes(const QString& path) { return QFile::encodeName(path).toStdString(); }
    // A file in the folder whose name is not UTF-8: "část.txt" in code page
    // 1250, which the file dialog shows, and is typed, as U+FFFD U+FFFD "st.txt".
    std::string MakeCodePageFile() const
    {
        const std::string path = Bytes(folder_.path()) + "/\xe8\xe1st.txt";
        WriteBytes(path, "");
        return path;
    }
    static constexpr const char* kCodePageTyped = "\uFFFD\uFFFDst.txt";

    QStringList Items() const
    {
        QStringList items;
        for (int i = 0; i < List()->count(); ++i)
            items << List()->item(i)->text();
        return items;
    }

    // The next add command types these names into the file dialog and
    // confirms; with no names it cancels.
    void ChooseNext(const QStringList& names)
    {
        const QString folder = folder_.path();
        form_->findChild<TOpenDialog*>(QStringLiteral("OpenDialog1"))->SetRunner([folder, names](QFileDialog& dialog) {
            if (names.isEmpty())
                return false;
            dialog.setDirectory(folder);
            auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (edit == nullptr)
                return false;
            // Typing replaces the file the dialog selects from the last use.
            for (auto* view : dialog.findChildren<QAbstractItemView*>())
                view->clearSelection();
            QStringList quoted;
            for (const QString& name : names)
                quoted << (names.size() == 1 ? name : u'"' + name + u'"');
            edit->setText(quoted.join(u' '));
            static_cast<QDialog&>(dialog).accept();
            return dialog.result() == QDialog::Accepted;
        });
    }

    void AddWithMenu(const QStringList& names)
    {
        ChooseNext(names);
        Entry("Vybratsoubory1")->trigger();
    }

    void AddWithTool(const QStringList& names)
    {
        ChooseNext(names);
        Tool("glyphButton1")->click();
    }

    // The seven entries that are switched together.
    std::vector<bool> FileCommandsState() const
    {
        std::vector<bool> state;
        for (const char* name : {"mnVybratVse", "mnOdstranitVybrane", "mnOdstranitVse", "mnZobrazitSoubor",
                                 "mnPopUpZobrazitSoubor", "Odsrtanitsoubor1", "Odstranitve1"})
            state.push_back(Entry(name)->isEnabled());
        return state;
    }
    static std::vector<bool> All(bool enabled) { return std::vector<bool>(7, enabled); }

    QTemporaryDir folder_;
    QString savedFolder_;
    QWidget runDialog_;
    QWidget helpWindow_;
    std::vector<std::string> started_;
    BoxAnswerer box_;
    std::unique_ptr<TForm1> ownForm_;
    TForm1* form_ = nullptr;
};

} // namespace ravo::testing
