// The drive selector: one entry per mounted volume with its kind's picture,
// owner-drawn so pictures and texts stand where the folder list's do.
#include "backup/drive_combo_box.h"

#include <QStyledItemDelegate>
#include <algorithm>
#include <array>

#include "dialogs/guard.h"
#include "backup/picture_row.h"

namespace ravo {

namespace {

constexpr int kPictureLeft = 2;
constexpr int kTextGap = 6;
constexpr int kMinRowHeight = 11;

enum EntryRole { MountPointRole = Qt::UserRole, KindRole };

// Draws an entry as its picture at the left, then its text on one line, both
// vertically centred; "&" shows as itself.
class DriveEntryDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return QSize(QStyledItemDelegate::sizeHint(option, index).width(),
                     std::max(option.fontMetrics.height(), kMinRowHeight));
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        PaintPictureRow(*painter, option, index.data(Qt::DecorationRole).value<QPixmap>(),
                        index.data(Qt::DisplayRole).toString(), kPictureLeft, kTextGap, Qt::AlignVCenter);
    }
};

QPixmap PictureOf(VolumeKind kind)
{
    switch (kind) {
    case VolumeKind::Floppy:
        return TransparentPicture(QStringLiteral(":/floppy.png"));
    case VolumeKind::Network:
        return TransparentPicture(QStringLiteral(":/network.png"));
    case VolumeKind::CdRom:
        return TransparentPicture(QStringLiteral(":/cdrom.png"));
    case VolumeKind::Ram:
        return TransparentPicture(QStringLiteral(":/ram.png"));
    case VolumeKind::Hard:
        break;
    }
    return TransparentPicture(QStringLiteral(":/hard.png"));
}

} // namespace

TDriveComboBox::TDriveComboBox(QWidget* parent) : QComboBox(parent), volumeSource_(MountedVolumes)
{
    setEditable(false);
    setIconSize(QSize(16, 11));
    setItemDelegate(new DriveEntryDelegate(this));
    // A user's choice, by mouse or keyboard, is announced at once.
    connect(this, &QComboBox::activated, this, Guard([this](int entry) {
                SelectDrive(itemData(entry, MountPointRole).toByteArray().toStdString());
            }));
}

void TDriveComboBox::Fill()
{
    clear();
    std::array<QPixmap, 5> pictures;
    std::vector<std::string> mountPoints;
    for (const Volume& volume : volumeSource_()) {
        QPixmap& picture = pictures[static_cast<std::size_t>(volume.kind)];
        if (picture.isNull())
            picture = PictureOf(volume.kind);
        addItem(volume.text);
        setItemData(count() - 1, picture, Qt::DecorationRole);
        setItemData(count() - 1, QByteArray::fromStdString(volume.mountPoint), MountPointRole);
        setItemData(count() - 1, static_cast<int>(volume.kind), KindRole);
        mountPoints.push_back(volume.mountPoint);
    }
    setCurrentIndex(-1);
    driveLetter_.clear();
    filled_ = true;
    emit VolumesListed(mountPoints);
}

VolumeKind TDriveComboBox::KindOf(int entry) const
{
    return static_cast<VolumeKind>(itemData(entry, KindRole).toInt());
}

void TDriveComboBox::SelectDrive(const std::string& mountPoint)
{
    if (selectEntry(mountPoint))
        emit DriveSelected(driveLetter_);
}

void TDriveComboBox::ShowDrive(const std::string& mountPoint) { selectEntry(mountPoint); }

// Returns false, changing nothing, when that volume's entry is selected
// already. A volume without an entry changes DriveLetter but leaves the
// selection as it was.
bool TDriveComboBox::selectEntry(const std::string& mountPoint)
{
    if (currentIndex() >= 0 && mountPoint == driveLetter_)
        return false;
    driveLetter_ = mountPoint;
    if (mountPoint.empty()) {
        setCurrentIndex(-1);
    } else {
        const int entry = findData(QByteArray::fromStdString(mountPoint), MountPointRole);
        if (entry >= 0)
            setCurrentIndex(entry);
    }
    return true;
}

void TDriveComboBox::showEvent(QShowEvent* event)
{
    if (!filled_)
        Fill();
    QComboBox::showEvent(event);
}

} // namespace ravo
