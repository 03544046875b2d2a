// The open-file dialog in the program's locale: with start-up's Czech locale
// the dialog writes sizes, types and dates the Czech way, whatever the
// system's locale, and leaves names as they are.
#include "dialogs/locale_file_columns.h"

#include <QAbstractProxyModel>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>

#include "dialogs/open_dialog.h"
#include "app/start_environment.h"

namespace ravo {
namespace {

struct Row {
    QString name;
    QString size;
    QString type;
    QString date;
};

// A file's row as the dialog's detail view shows it, once the file model has
// read the folder's entries.
Row RowOf(QFileDialog& dialog, const QString& path)
{
    auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    QAbstractItemModel* shownModel = view ? view->model() : nullptr;
    auto* proxy = qobject_cast<QAbstractProxyModel*>(shownModel);
    auto* files = qobject_cast<QFileSystemModel*>(proxy ? proxy->sourceModel() : shownModel);
    if (files == nullptr) {
        ADD_FAILURE() << "the dialog shows no file model";
        return {};
    }
    QModelIndex entry;
    for (int wait = 0; wait < 200; ++wait) {
        entry = files->index(path);
        if (entry.isValid() && files->lastModified(entry).isValid())
            break;
        QTest::qWait(20);
    }
    const QModelIndex shown = proxy ? proxy->mapFromSource(entry) : entry;
    return {shown.siblingAtColumn(0).data().toString(),
            shown.siblingAtColumn(LocaleFileColumns::kSizeColumn).data().toString(),
            shown.siblingAtColumn(LocaleFileColumns::kTypeColumn).data().toString(),
            shown.siblingAtColumn(LocaleFileColumns::kDateColumn).data().toString()};
}

class CzechOpenDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder_.isValid());
        UseCzechLocale();
    }
    void TearDown() override { QLocale::setDefault(saved_); }

    QString Make(const char* name, qint64 size, const QDateTime& modified)
    {
        const QString path = QDir(folder_.path()).absoluteFilePath(QString::fromUtf8(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        EXPECT_TRUE(file.resize(size));
        EXPECT_TRUE(file.setFileTime(modified, QFileDevice::FileModificationTime));
        return path;
    }

    QLocale saved_;
    QTemporaryDir folder_;
};

TEST_F(CzechOpenDialog, SizesTypesAndDatesAreWrittenTheCzechWay)
{
    struct Case {
        const char* name;
        qint64 size;
        QDateTime modified;
        const char* size_shown;
        const char* date_shown;
    };
    const Case cases[] = {
        {"velký.txt", 123456, QDateTime(QDate(2026, 3, 4), QTime(5, 6)), "120,56 KiB", "04.03.26 5:06"},
        {"b.txt", 5 * 1024 * 1024 + 512 * 1024, QDateTime(QDate(2025, 12, 31), QTime(23, 59)), "5,50 MiB",
         "31.12.25 23:59"},
    };
    std::vector<QString> paths;
    for (const Case& c : cases)
        paths.push_back(Make(c.name, c.size, c.modified));
    QDir(folder_.path()).mkdir(QStringLiteral("složka"));

    std::vector<Row> rows;
    Row folderRow;
    TOpenDialog component;
    component.SetRunner([&](QFileDialog& dialog) {
        dialog.setDirectory(folder_.path());
        for (const QString& path : paths)
            rows.push_back(RowOf(dialog, path));
        folderRow = RowOf(dialog, QDir(folder_.path()).absoluteFilePath(QStringLiteral("složka")));
        dialog.reject();
        return false;
    });
    EXPECT_FALSE(component.ChooseFiles());

    ASSERT_EQ(rows.size(), std::size(cases));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Case& c = cases[i];
        EXPECT_EQ(rows[i].name, QString::fromUtf8(c.name));
        EXPECT_EQ(rows[i].size, QString::fromUtf8(c.size_shown)) << c.name;
        EXPECT_EQ(rows[i].date, QString::fromUtf8(c.date_shown)) << c.name;
        EXPECT_EQ(rows[i].type, QStringLiteral("prostý textový dokument")) << c.name;
    }
    EXPECT_EQ(folderRow.name, QStringLiteral("složka"));
    EXPECT_TRUE(folderRow.size.isEmpty()) << "a folder has no size";
    EXPECT_EQ(folderRow.type, QStringLiteral("složka"));
}

} // namespace
} // namespace ravo
