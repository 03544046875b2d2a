// OpenDialog1's component on top of Qt's own (non-native) file dialog.
#include "dialogs/open_dialog.h"

#include "dialogs/locale_file_columns.h"
#include "dialogs/message_form.h"
#include "dialogs/modal_scope.h"
#include "dialogs/placement.h"
#include "dialogs/traced_paths.h"
#include "platform/current_folder.h"

#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QScreen>
#include <QSettings>
#include <QWidget>

#include <algorithm>

namespace ravo {

namespace {

const QString kTitle = QStringLiteral("Vyber soubory do seznamu hromadné změny:");
const QString kFilter = QStringLiteral(
    "TXT soubory|*.txt|PHP soubory|*.php|HTML a HTM soubory|*.htm*|PAS soubory|*.pas|"
    "BAS soubry|*.bas|JS soubory|*.js|BAT soubory|*.bat");

// The filter entries' patterns, "*.txt" and on.
QStringList Patterns()
{
    const QStringList fields = kFilter.split(QLatin1Char('|'));
    QStringList patterns;
    for (qsizetype i = 1; i < fields.size(); i += 2)
        patterns << fields[i];
    return patterns;
}

bool IsAbsoluteName(const QString& name)
{
    return name.startsWith(QLatin1Char('/'));
}

const QString kUntracedOne =
    QStringLiteral("Soubor nelze podle jeho názvu jednoznačně určit, do seznamu nebyl přidán:");
const QString kUntracedMany =
    QStringLiteral("Tyto soubory nelze podle jejich názvů jednoznačně určit, do seznamu nebyly přidány:");
const QString kUntracedMore = QStringLiteral("… a další (%1)");
// Names the notice lists before it only counts the rest, so that its OK
// button stays on the screen however many files were left out.
constexpr qsizetype kUntracedListed = 10;

bool DefaultRunner(QFileDialog& dialog)
{
    return dialog.exec() == QDialog::Accepted;
}

// One line per path: a character that would break the line is written as
// \xHH instead.
QString OnOneLine(const QString& path)
{
    QString shown;
    for (const QChar c : path) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            shown += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    return shown;
}

// The names typed in the file name field, in their order: one name, or
// several each in double quotes, as the dialog itself writes a choice made
// with the mouse. Empty when the text is neither.
QStringList TypedNames(const QString& text)
{
    if (!text.trimmed().startsWith(QLatin1Char('"')))
        return text.isEmpty() ? QStringList{} : QStringList{text};
    QStringList names;
    qsizetype at = 0;
    while (true) {
        while (at < text.size() && text[at].isSpace())
            ++at;
        if (at == text.size())
            return names;
        const qsizetype close = text[at] == QLatin1Char('"') ? text.indexOf(QLatin1Char('"'), at + 1) : -1;
        if (close < 0 || close == at + 1)
            return {};
        names << text.mid(at + 1, close - at - 1);
        at = close + 1;
    }
}

// Qt's dialog may answer with fewer files than the user typed (its list's
// selection, which follows the typing, can lag behind the field), and it
// refuses a chosen file it cannot find by its decoded name, which is every
// file whose name is not UTF-8. So the typed names are the answer whenever
// each stands for a file on disk; which one, or that none can be told, is
// settled with the answer. Anything else (a folder to enter, a missing
// name) is left to Qt.
class FileChooser : public QFileDialog {
public:
    explicit FileChooser(PathTracer& tracer) : tracer_(tracer) {}

    // The files the user chose, in the order given.
    QStringList ChosenFiles() const { return typed_.isEmpty() ? selectedFiles() : typed_; }

protected:
    void accept() override
    {
        tracer_ = PathTracer(); // a confirmation after a refused one reads the folders afresh
        typed_.clear();
        if (fileMode() == ExistingFiles) {
            const QStringList typed = typedFiles();
            if (!typed.isEmpty() && allStandForFiles(typed)) {
                typed_ = typed;
                QDialog::accept();
                return;
            }
        }
        QFileDialog::accept();
    }

private:
    QStringList typedFiles() const
    {
        const auto* field = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        const QDir folder = directory();
        QStringList files;
        for (const QString& name : TypedNames(field ? field->text() : QString()))
            files << folder.absoluteFilePath(name); // an absolute name stays as it is
        return files;
    }

    bool allStandForFiles(const QStringList& files)
    {
        for (const QString& file : files) {
            const QFileInfo info(file);
            if (info.exists()) {
                if (info.isDir())
                    return false;
                continue;
            }
            const PathTracer::Result traced = tracer_.Trace(file);
            if (traced.outcome == PathTracer::Outcome::Missing ||
                (traced.outcome == PathTracer::Outcome::Unique && !NonFolderExists(traced.path)))
                return false;
        }
        return true;
    }

    PathTracer& tracer_;
    QStringList typed_;
};

} // namespace

TOpenDialog::TOpenDialog(QObject* owner) : QObject(owner), runner_(DefaultRunner)
{
    setObjectName(QStringLiteral("OpenDialog1"));
    // Qt's dialog keeps its history, last folder and view in the user's
    // settings and reads them at the next start. This program stores
    // nothing: the user's settings go to a folder that cannot exist, so
    // they are neither read nor written, and what the dialog remembers
    // lives as long as the process.
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, QStringLiteral("/dev/null"));
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

QString TOpenDialog::UntracedNotice(const QStringList& paths)
{
    QStringList lines{paths.size() == 1 ? kUntracedOne : kUntracedMany};
    for (const QString& path : paths.first(std::min(paths.size(), kUntracedListed)))
        lines << OnOneLine(path);
    if (paths.size() > kUntracedListed)
        lines << kUntracedMore.arg(paths.size() - kUntracedListed);
    return lines.join(QLatin1Char('\n'));
}

bool TOpenDialog::ChooseFiles()
{
    selectedPaths_.clear();
    selectedPathBytes_.clear();
    QStringList untraced;
    {
        ModalScope scope;
        PathTracer tracer;
        FileChooser dialog(tracer);
        prepare(dialog);
        placementScreen_ = ScreenForBox(qobject_cast<QWidget*>(parent()));
        dialog.installEventFilter(this);
        const bool confirmed = runner_(dialog);
        dialog.removeEventFilter(this);
        if (confirmed)
            untraced = takeAnswer(dialog, dialog.ChosenFiles(), tracer);
    }
    if (!untraced.isEmpty())
        ShowNotice(UntracedNotice(untraced));
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

QStringList TOpenDialog::takeAnswer(const QFileDialog& dialog, const QStringList& chosenFiles, PathTracer& tracer)
{
    const QString folder = dialog.directory().absolutePath();
    const QStringList answer = AnswerFor(folder, chosenFiles);
    QStringList untraced;
    for (const QString& path : ParseAnswer(answer)) {
        PathTracer::Result traced = tracer.Trace(path);
        if (traced.outcome != PathTracer::Outcome::Unique) {
            untraced << path;
            continue;
        }
        selectedPaths_ << path;
        selectedPathBytes_.push_back(std::move(traced.path));
    }
    if (selectedPaths_.isEmpty())
        return untraced;
    fileName_ = selectedPaths_.first();
    if (const int entry = EntryShown(dialog.selectedNameFilter()); entry >= 1)
        filterIndex_ = entry;
    // The chosen files' folder becomes the current one, as after any
    // confirmed open; the file list holds full paths, so nothing breaks.
    // It is entered by its bytes, so it is the folder the files were found in.
    const QString chosenFolder = answer.size() == 1 ? QFileInfo(answer.first()).absolutePath() : answer.first();
    if (const PathTracer::Result traced = tracer.Trace(chosenFolder); traced.outcome == PathTracer::Outcome::Unique)
        SetCurrentFolder(traced.path);
    return untraced;
}

bool TOpenDialog::eventFilter(QObject* watched, QEvent* event)
{
    auto* dialog = qobject_cast<QWidget*>(watched);
    if (dialog && event->type() == QEvent::Show && placementScreen_) {
        if (auto* files = qobject_cast<QFileDialog*>(dialog)) {
            FitLocaleColumns(*files, Patterns());
        }
        Place(*dialog, placementScreen_->geometry(), CentredAtAThirdOfTheFreeHeight);
    }
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
