// TDirectoryListBox, the folder list of the backup folder chooser: the path
// of one folder from "/" down, then that folder's sub-folders. Every move
// makes the target the process's current folder and reads it back, so
// FolderPath is always what the system reported. It knows no drive selector:
// the volume it moves onto goes out as a signal (ConnectChooser).
#pragma once

#include <QListWidget>
#include <map>
#include <string>
#include <vector>

namespace ravo {

class TDirectoryListBox : public QListWidget {
    Q_OBJECT
public:
    enum class RowKind { Open, Current, Closed };

    explicit TDirectoryListBox(QWidget* parent = nullptr);

    // The folder shown, as bytes: no trailing "/" except for the root.
    const std::string& FolderPath() const { return folderPath_; }
    // Moves the list to a folder; a path naming a file moves to its folder.
    void EnterFolder(const std::string& path);
    // Moves the list to the folder it last showed on the volume mounted at
    // mountPoint, or to the mount point itself the first time. Announces no
    // volume: one that refuses leaves the list where it was, while the
    // selector keeps showing the volume the user chose.
    void ChangeDrive(const std::string& mountPoint);
    // The full path a row stands for; empty for an index out of range.
    std::string RowPath(int row) const;
    // Rebuilds the rows for FolderPath and selects the current folder's row.
    void Fill();

    RowKind KindOf(int row) const;
    int IndentOf(int row) const;

    // The mount points the per-volume return knows; announces the volume
    // of the folder shown among them.
    void SetMountPoints(const std::vector<std::string>& mountPoints);

signals:
    // The folder shown lies on this volume (empty: on none of the known
    // ones), after a move into a folder and once the volumes are known.
    void VolumeShown(const std::string& mountPoint);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    std::string CurrentVolume() const;
    void AdoptCurrentFolder();
    void AddRow(const QString& text, const std::string& name, RowKind kind, int indent);
    void AddPathRows();
    void AddSubFolderRows();
    void EnterRow(int row);

    std::string folderPath_;
    std::vector<std::string> mountPoints_;
    // Per volume, the last folder shown there: the stand-in for a drive's
    // own current folder.
    std::map<std::string, std::string> lastFolderOnVolume_;
    bool filled_ = false;
};

} // namespace ravo
