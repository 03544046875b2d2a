// OpenDialog1's component on top of Qt's own (non-native) file dialog.
#include "app/dialogs/open_dialog.h"

#include "app/dialogs/locale_file_columns.h"
#include "app/dialogs/modal_scope.h"
#include "app/dialogs/placement.h"

#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QScreen>
#include <QWidget>

namespace ravo {

namespace {

const QString kTitle = QStringLiteral("Vyber soubory do seznamu hromadné změny:");
const QString kFilter = QStringLiteral(
    "TXT soubory|*.txt|PHP soubory|*.php|HTML a HTM soubory|*.htm*|PAS soubory|*.pas|"
    "BAS soubry|*.bas|JS soubory|*.js|BAT soubory|*.bat");

bool IsAbsoluteName(const QString& name)
{
    return name.startsWith(QLatin1Char('/'));
}

bool DefaultRunner(QFileDialog& dialog)
{
    return dialog.exec() == QDialog::Accepted;
}

} // namespace

TOpenDialog::TOpenDialog(QObject* owner) : QObject(owner), runner_(DefaultRunner)
{
    setObjectName(QStringLiteral("OpenDialog1"));
}

QString TOpenDialog::Title() const
{
    return kTitle;
}

QString TOpenDialog::Filter() const
{
    return kFilter;
}

void TOpenDialog::SetRunner(Runner runner)
{
    runner_ = runner ? std::move(runner) : Runner(DefaultRunner);
}

QStringList TOpenDialog::NameFilters()
{
    const QStringList fields = kFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < fields.size(); i += 2)
        filters << fields[i] + QStringLiteral(" (") + fields[i + 1] + QLatin1Char(')');
    return filters;
}

QStringList TOpenDialog::Descriptions()
{
    const QStringList fields = kFilter.split(QLatin1Char('|'));
    QStringList descriptions;
    for (qsizetype i = 0; i + 1 < fields.size(); i += 2)
        descriptions << fields[i];
    return descriptions;
}

// Qt names the selected entry by what its file-type box shows, the
// description; by the whole filter where it shows that.
int TOpenDialog::EntryShown(const QString& selected)
{
    qsizetype index = Descriptions().indexOf(selected);
    if (index < 0)
        index = NameFilters().indexOf(selected);
    return static_cast<int>(index) + 1;
}

bool TOpenDialog::ChooseFiles()
{
    selectedPaths_.clear();
    ModalScope scope;
    QFileDialog dialog;
    prepare(dialog);
    placementScreen_ = ScreenForBox(qobject_cast<QWidget*>(parent()));
    dialog.installEventFilter(this);
    const bool confirmed = runner_(dialog);
    dialog.removeEventFilter(this);
    if (confirmed)
        takeAnswer(dialog);
    return !selectedPaths_.isEmpty();
}

void TOpenDialog::prepare(QFileDialog& dialog) const
{
    dialog.setObjectName(QStringLiteral("OpenDialog1Window"));
    dialog.setWindowTitle(kTitle);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setProxyModel(new LocaleFileColumns(&dialog));
    // The file-type box shows each entry's description; its patterns filter.
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    const QStringList filters = NameFilters();
    dialog.setNameFilters(filters);
    if (filterIndex_ >= 1 && filterIndex_ <= filters.size())
        dialog.selectNameFilter(filters[filterIndex_ - 1]);
    // From the second use on the dialog opens where the user last chose,
    // with the first file of that choice selected.
    if (!fileName_.isEmpty()) {
        const QFileInfo last(fileName_);
        dialog.setDirectory(last.absolutePath());
        dialog.selectFile(last.fileName());
    }
}

void TOpenDialog::takeAnswer(QFileDialog& dialog)
{
    const QString folder = dialog.directory().absolutePath();
    const QStringList answer = AnswerFor(folder, dialog.selectedFiles());
    selectedPaths_ = ParseAnswer(answer);
    if (selectedPaths_.isEmpty())
        return;
    fileName_ = selectedPaths_.first();
    if (const int entry = EntryShown(dialog.selectedNameFilter()); entry >= 1)
        filterIndex_ = entry;
    // The chosen files' folder becomes the current one, as after any
    // confirmed open; the file list holds full paths, so nothing breaks.
    QDir::setCurrent(answer.size() == 1 ? QFileInfo(answer.first()).absolutePath()
                                        : answer.first());
}

bool TOpenDialog::eventFilter(QObject* watched, QEvent* event)
{
    auto* dialog = qobject_cast<QWidget*>(watched);
    if (dialog && event->type() == QEvent::Show && placementScreen_)
        Place(*dialog, placementScreen_->geometry(), CentredAtAThirdOfTheFreeHeight);
    return QObject::eventFilter(watched, event);
}

QStringList TOpenDialog::AnswerFor(const QString& folder, const QStringList& chosenFiles)
{
    if (chosenFiles.size() <= 1)
        return chosenFiles;
    const QString shown = QDir::cleanPath(folder);
    QStringList answer{folder};
    for (const QString& file : chosenFiles) {
        const QFileInfo info(file);
        answer << (QDir::cleanPath(info.absolutePath()) == shown ? info.fileName() : file);
    }
    return answer;
}

QStringList TOpenDialog::ParseAnswer(const QStringList& answer)
{
    if (answer.isEmpty())
        return {};
    if (answer.size() == 1 || answer[1].isEmpty())
        return {answer.first()};
    QString folder = answer.first();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    QStringList paths;
    for (qsizetype i = 1; i < answer.size() && !answer[i].isEmpty(); ++i)
        paths << (IsAbsoluteName(answer[i]) ? answer[i] : folder + answer[i]);
    return paths;
}

} // namespace ravo
