// The folder list: path rows from "/" down to the folder shown, then its
// visible sub-folders in the locale's order, each drawn with its picture at
// an indent that grows with its depth.
#include "backup/directory_list_box.h"

#include <QCollator>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyledItemDelegate>
#include <algorithm>
#include <array>
#include <set>

#include "dialogs/guard.h"
#include "backup/picture_row.h"
#include "platform/current_folder.h"
#include "platform/path.h"
#include "platform/volumes.h"

namespace ravo {

namespace {

constexpr int kIndentStep = 4;
constexpr int kIndentBase = 2;
constexpr int kTextGap = 4;
constexpr int kMinRowHeight = 16;

enum RowRole { NameRole = Qt::UserRole, KindRole, IndentRole };

int IndentForLevel(int level) { return kIndentStep * level + kIndentBase; }

QString DisplayName(const std::string& bytes) { return QFile::decodeName(QByteArray::fromStdString(bytes)); }

std::string ParentFolder(const std::string& path)
{
    const std::string_view folder = platform::FolderPart(path);
    return folder.empty() ? std::string(".") : std::string(folder);
}

// Draws a row as its picture at the row's indent and its text beside it, the
// picture vertically centred and the text at the row's top.
class FolderRowDelegate : public QStyledItemDelegate {
public:
    FolderRowDelegate(std::array<QPixmap, 3> pictures, QObject* parent)
        : QStyledItemDelegate(parent), pictures_(std::move(pictures))
    {
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const int width = index.data(IndentRole).toInt() + kRowPictureWidth + kTextGap
                          + option.fontMetrics.horizontalAdvance(index.data(Qt::DisplayRole).toString());
        return QSize(width, std::max(option.fontMetrics.height(), kMinRowHeight));
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        PaintPictureRow(*painter, option, pictures_[index.data(KindRole).toInt()],
                        index.data(Qt::DisplayRole).toString(), index.data(IndentRole).toInt(), kTextGap, Qt::AlignTop);
    }

private:
    std::array<QPixmap, 3> pictures_;
};

} // namespace

TDirectoryListBox::TDirectoryListBox(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    // Rows are as wide as the list; a long name is cut, never scrolled to.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setItemDelegate(new FolderRowDelegate({TransparentPicture(QStringLiteral(":/openfolder.png")),
                                           TransparentPicture(QStringLiteral(":/currentfolder.png")),
                                           TransparentPicture(QStringLiteral(":/closedfolder.png"))},
                                          this));
    folderPath_ = CurrentFolder();
    if (folderPath_.empty()) {
        SetCurrentFolder("/");
        folderPath_ = "/";
    }
}

void TDirectoryListBox::SetMountPoints(const std::vector<std::string>& mountPoints)
{
    mountPoints_ = mountPoints;
    const std::string volume = CurrentVolume();
    if (!volume.empty())
        lastFolderOnVolume_[volume] = folderPath_;
    emit VolumeShown(volume);
}

std::string TDirectoryListBox::CurrentVolume() const { return VolumeOf(folderPath_, mountPoints_); }

void TDirectoryListBox::Fill()
{
    setUpdatesEnabled(false);
    clear();
    AddPathRows();
    const int currentRow = count() - 1;
    AddSubFolderRows();
    setCurrentRow(currentRow);
    setUpdatesEnabled(true);
    filled_ = true;
}

void TDirectoryListBox::AddRow(const QString& text, const std::string& name, RowKind kind, int indent)
{
    auto* row = new QListWidgetItem(text, this);
    row->setData(NameRole, QByteArray::fromStdString(name));
    row->setData(KindRole, static_cast<int>(kind));
    row->setData(IndentRole, indent);
}

void TDirectoryListBox::AddPathRows()
{
    if (folderPath_ == "/") {
        AddRow(QStringLiteral("/"), "/", RowKind::Current, IndentForLevel(0));
        return;
    }
    AddRow(QStringLiteral("/"), "/", RowKind::Open, IndentForLevel(0));
    std::size_t start = folderPath_.find('/') + 1;
    for (int level = 1;; ++level) {
        const std::size_t slash = folderPath_.find('/', start);
        const std::string name = folderPath_.substr(start, slash - start);
        const bool last = slash == std::string::npos;
        AddRow(DisplayName(name), name, last ? RowKind::Current : RowKind::Open, IndentForLevel(level));
        if (last)
            return;
        start = slash + 1;
    }
}

void TDirectoryListBox::AddSubFolderRows()
{
    const auto names = VisibleSubFolders(folderPath_);
    if (!names)
        return;
    struct Entry {
        QString text;
        std::string name;
    };
    std::vector<Entry> entries;
    for (const std::string& name : *names)
        entries.push_back({DisplayName(name), name});
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
        const int order = collator.compare(a.text, b.text);
        return order != 0 ? order < 0 : a.name < b.name;
    });
    const int indent = IndentForLevel(static_cast<int>(std::count(folderPath_.begin(), folderPath_.end(), '/')) + 1);
    std::set<QString> taken;
    for (const Entry& entry : entries) {
        if (taken.insert(entry.text.toCaseFolded()).second)
            AddRow(entry.text, entry.name, RowKind::Closed, indent);
    }
}

TDirectoryListBox::RowKind TDirectoryListBox::KindOf(int row) const
{
    return static_cast<RowKind>(item(row)->data(KindRole).toInt());
}

int TDirectoryListBox::IndentOf(int row) const { return item(row)->data(IndentRole).toInt(); }

std::string TDirectoryListBox::RowPath(int row) const
{
    if (row < 0 || row >= count())
        return {};
    if (row == 0)
        return "/";
    switch (KindOf(row)) {
    case RowKind::Current:
        return folderPath_;
    case RowKind::Closed:
        return folderPath_ + (folderPath_.back() == '/' ? "" : "/")
               + item(row)->data(NameRole).toByteArray().toStdString();
    case RowKind::Open:
        break;
    }
    std::size_t end = 0;
    for (int slashes = 0; slashes <= row && end != std::string::npos; ++slashes)
        end = folderPath_.find('/', slashes == 0 ? 0 : end + 1);
    return folderPath_.substr(0, end);
}

void TDirectoryListBox::AdoptCurrentFolder()
{
    // A folder removed under our feet cannot be reported; the list then stays
    // where it was rather than offering an empty backup folder.
    if (std::string now = CurrentFolder(); !now.empty())
        folderPath_ = std::move(now);
    if (const std::string volume = CurrentVolume(); !volume.empty())
        lastFolderOnVolume_[volume] = folderPath_;
}

void TDirectoryListBox::EnterFolder(const std::string& path)
{
    if (path.empty() || path == folderPath_)
        return;
    // Standing on the folder shown first makes a relative path start there
    // and a refused move leave the list where it was.
    if (FolderExists(folderPath_))
        SetCurrentFolder(folderPath_);
    SetCurrentFolder(NonFolderExists(path) ? ParentFolder(path) : path);
    AdoptCurrentFolder();
    emit VolumeShown(CurrentVolume());
    Fill();
}

void TDirectoryListBox::ChangeDrive(const std::string& mountPoint)
{
    if (mountPoint == CurrentVolume())
        return;
    if (!mountPoint.empty()) {
        // As in EnterFolder: a volume that refuses leaves the list where it was.
        if (FolderExists(folderPath_))
            SetCurrentFolder(folderPath_);
        const auto last = lastFolderOnVolume_.find(mountPoint);
        if (last == lastFolderOnVolume_.end() || !SetCurrentFolder(last->second))
            SetCurrentFolder(mountPoint);
        AdoptCurrentFolder();
    }
    Fill();
}

void TDirectoryListBox::EnterRow(int row) { EnterFolder(RowPath(row)); }

void TDirectoryListBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Guard([this] { EnterRow(currentRow()); })();
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

void TDirectoryListBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    const int row = indexAt(event->position().toPoint()).row();
    if (event->button() != Qt::LeftButton || row < 0) {
        QListWidget::mouseDoubleClickEvent(event);
        return;
    }
    Guard([this, row] { EnterRow(row); })();
    event->accept();
}

void TDirectoryListBox::showEvent(QShowEvent* event)
{
    if (!filled_)
        Fill();
    QListWidget::showEvent(event);
}

} // namespace ravo
