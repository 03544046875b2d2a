// Sizes, folder types and dates of the open-file dialog, written in the
// program's locale.
#include "dialogs/locale_file_columns.h"

#include <QDateTime>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QFontMetricsF>
#include <QtMath>
#include <QHeaderView>
#include <QLayout>
#include <QListView>
#include <QLocale>
#include <QMimeDatabase>
#include <QScrollBar>
#include <QSplitter>
#include <QStyle>
#include <QTreeView>

#include <algorithm>

namespace ravo {

QVariant LocaleFileColumns::data(const QModelIndex& index, int role) const
{
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    const int column = index.column();
    const bool rewritten = column == kSizeColumn || column == kTypeColumn || column == kDateColumn;
    if (role != Qt::DisplayRole || files == nullptr || !rewritten)
        return QIdentityProxyModel::data(index, role);
    const QModelIndex source = mapToSource(index);
    if (column == kTypeColumn) {
        // Files are typed by their MIME type's comment in the default
        // locale; folders get theirs the same way.
        const QString folder = QMimeDatabase().mimeTypeForName(QStringLiteral("inode/directory")).comment();
        if (!files->isDir(source) || folder.isEmpty())
            return QIdentityProxyModel::data(index, role);
        return folder;
    }
    if (column == kSizeColumn) {
        // Folders have no size; the model leaves them blank, and so does this.
        if (files->isDir(source))
            return QIdentityProxyModel::data(index, role);
        return QLocale().formattedDataSize(files->size(source));
    }
    const QDateTime modified = files->lastModified(source);
    if (!modified.isValid())
        return QIdentityProxyModel::data(index, role);
    return QLocale().toString(modified, QLocale::ShortFormat);
}

namespace {

// The widest of `texts` as a cell of `view` shows it: the cell's margins
// on both sides, and a pixel either way for the view's rounding.
int CellWidth(const QAbstractItemView& view, const QStringList& texts)
{
    const int margin = 2 * (view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &view) + 2);
    const QFontMetricsF metrics(view.font());
    qreal widest = 0;
    for (const QString& text : texts)
        widest = std::max(widest, metrics.horizontalAdvance(text));
    return qCeil(widest) + margin;
}

QStringList TypicalSizes()
{
    const QLocale locale;
    return {locale.formattedDataSize(999), locale.formattedDataSize(1023 * 1024 + 1013),
            locale.formattedDataSize(qint64{1023} * 1024 * 1024 + 1013 * 1024)};
}

// The types of the files the patterns let through, as their extensions
// tell, and a folder's.
QStringList TypicalTypes(const QStringList& patterns)
{
    const QMimeDatabase types;
    QStringList comments{types.mimeTypeForName(QStringLiteral("inode/directory")).comment()};
    for (QString pattern : patterns) {
        pattern.replace(QLatin1Char('*'), QString());
        for (const QString& suffix : {QString(), QStringLiteral("l")}) // *.htm* stands for .htm and .html
            comments << types.mimeTypeForFile(QStringLiteral("x") + pattern + suffix, QMimeDatabase::MatchExtension).comment();
    }
    return comments;
}

QStringList TypicalDates()
{
    // Two-digit fields throughout, the widest a date gets.
    return {QLocale().toString(QDateTime(QDate(2026, 12, 28), QTime(23, 58)), QLocale::ShortFormat)};
}

} // namespace

void FitLocaleColumns(QFileDialog& dialog, const QStringList& patterns)
{
    auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    auto* panel = dialog.findChild<QListView*>(QStringLiteral("sidebar"));
    auto* splitter = dialog.findChild<QSplitter*>(QStringLiteral("splitter"));
    if (view == nullptr || panel == nullptr || splitter == nullptr || splitter->count() != 2)
        return;
    QHeaderView& header = *view->header();
    const std::pair<int, QStringList> columns[] = {{LocaleFileColumns::kSizeColumn, TypicalSizes()},
                                                   {LocaleFileColumns::kTypeColumn, TypicalTypes(patterns)},
                                                   {LocaleFileColumns::kDateColumn, TypicalDates()}};
    for (const auto& [column, texts] : columns)
        header.resizeSection(column, std::max(header.sectionSize(column), CellWidth(*view, texts)));
    int places = 0;
    for (int row = 0; row < panel->model()->rowCount(panel->rootIndex()); ++row)
        places = std::max(places, panel->sizeHintForIndex(panel->model()->index(row, 0, panel->rootIndex())).width());
    const int panelWidth = std::max(splitter->sizes().at(0), places + 2 * panel->frameWidth());

    int columnsWidth = 0;
    for (int column = 0; column < header.count(); ++column)
        columnsWidth += header.isSectionHidden(column) ? 0 : header.sectionSize(column);
    const int viewWidth = columnsWidth + 2 * view->frameWidth() +
                          view->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, view->verticalScrollBar());
    const int shortfall = panelWidth + splitter->handleWidth() + viewWidth - splitter->width();
    if (shortfall > 0) {
        dialog.resize(dialog.width() + shortfall, dialog.height());
        if (QLayout* layout = dialog.layout())
            layout->activate();
    }
    splitter->setSizes({panelWidth, splitter->width() - splitter->handleWidth() - panelWidth});
}

} // namespace ravo
