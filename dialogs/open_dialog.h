// OpenDialog1's component: configures Qt's own file dialog for choosing the
// files to list, shows it modally and turns its answer into full paths, each
// with the exact bytes of the file's name. Remembers the first chosen path
// and the filter entry from the last confirmed use, for the life of the
// process.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

class QFileDialog;
class QScreen;

namespace ravo {

class PathTracer;

class TOpenDialog : public QObject {
    Q_OBJECT
public:
    // Shows the prepared dialog and returns whether the user confirmed. The
    // default runs it modally; tests put a runner of their own here.
    using Runner = std::function<bool(QFileDialog& dialog)>;

    explicit TOpenDialog(QObject* owner = nullptr);

    // A chosen file whose decoded name cannot be traced to exactly one file
    // on disk is left out, never replaced by another, and one notice names
    // every such file after the dialog has closed.
    bool ChooseFiles();
    // The chosen paths as shown, and beside each the bytes of its file.
    const QStringList& SelectedPaths() const { return selectedPaths_; }
    const std::vector<std::string>& SelectedPathBytes() const { return selectedPathBytes_; }
    const QString& FileName() const { return fileName_; }
    int FilterIndex() const { return filterIndex_; }
    QString Title() const;
    QString Filter() const;

    void SetRunner(Runner runner);

    // The answer as the folder-then-names list: one entry is a full path;
    // several are the folder followed by names, each joined to the folder
    // unless already absolute. Order kept, nothing sorted or merged.
    static QStringList ParseAnswer(const QStringList& answer);

    // Qt's chosen files (absolute) as that answer: one file is its full
    // path; several are the shown folder, then each file's name when it lies
    // in that folder and its full path when it does not.
    static QStringList AnswerFor(const QString& folder, const QStringList& chosenFiles);

    // The filter entries as Qt name filters, "TXT soubory (*.txt)" and on.
    static QStringList NameFilters();
    // The notice naming the chosen files that were left out.
    static QString UntracedNotice(const QStringList& paths);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What the file-type box shows of each entry: "TXT soubory" and on.
    static QStringList Descriptions();
    // The 1-based entry Qt reports as selected; 0 for none of ours.
    static int EntryShown(const QString& selected);

    void prepare(QFileDialog& dialog) const;
    // Returns the chosen paths that could not be traced to one file.
    QStringList takeAnswer(const QFileDialog& dialog, const QStringList& chosenFiles, PathTracer& tracer);

    Runner runner_;
    QScreen* placementScreen_ = nullptr;
    QStringList selectedPaths_;
    std::vector<std::string> selectedPathBytes_;
    QString fileName_;
    int filterIndex_ = 1;
};

} // namespace ravo
