// The open-file dialog's size, type and date columns in the program's locale.
#pragma once

#include <QIdentityProxyModel>
#include <QStringList>

class QFileDialog;

namespace ravo {

// Stands between Qt's file dialog and its file model. The model writes sizes
// and modification dates in the system's locale, and a folder's type in
// English (Qt's Czech catalogue lacks that word); this proxy writes them in
// the program's default locale (Czech), like the dialog's other texts, so a
// user whose system speaks another language still sees one Czech dialog.
// Names, the files' types (already in the program's locale) and everything
// else pass through unchanged.
class LocaleFileColumns : public QIdentityProxyModel {
    Q_OBJECT
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    // The file model's columns.
    static constexpr int kSizeColumn = 1;
    static constexpr int kTypeColumn = 2;
    static constexpr int kDateColumn = 3;

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
};

// Qt sizes the dialog's columns and its side panel for English words; the
// Czech ones are longer and would be cut short. Widens the size, type and
// date columns to hold a typical size, the type of every file the patterns
// can show, and a date, and the side panel to hold its places' names,
// widening the dialog by what the columns need beyond its view. Called once
// the dialog is laid out, before it is placed.
void FitLocaleColumns(QFileDialog& dialog, const QStringList& patterns);

} // namespace ravo
