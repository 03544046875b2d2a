// Sizes, folder types and dates of the open-file dialog, written in the
// program's locale.
#include "app/dialogs/locale_file_columns.h"

#include <QDateTime>
#include <QFileSystemModel>
#include <QLocale>
#include <QMimeDatabase>

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

} // namespace ravo
