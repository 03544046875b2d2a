// Sizes and dates of the open-file dialog, written in the program's locale.
#include "app/dialogs/locale_file_columns.h"

#include <QDateTime>
#include <QFileSystemModel>
#include <QLocale>

namespace ravo {

QVariant LocaleFileColumns::data(const QModelIndex& index, int role) const
{
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    const int column = index.column();
    if (role != Qt::DisplayRole || files == nullptr || (column != kSizeColumn && column != kDateColumn))
        return QIdentityProxyModel::data(index, role);
    const QModelIndex source = mapToSource(index);
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
