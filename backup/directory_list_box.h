// TDirectoryListBox, the folder list of the backup folder chooser: the path
// of one folder from "/" down, then that folder's sub-folders. Every move
// makes the target the process's current folder and reads it back, so
// FolderPath is always what the system reported.
#pragma once

#include <QListWidget>
#include <map>
#include <string>
#include <vector>

namespace ravo {

class TDriveComboBox;

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
    // mountPoint, or to the mount point itself the first time.
    void ChangeDrive(const std::string& mountPoint);
    // The full path a row stands for; empty for an index out of range.
    std::string RowPath(int row) const;
    // Rebuilds the rows for FolderPath and selects the current folder's row.
    void Fill();

    RowKind KindOf(int row) const;
    int IndentOf(int row) const;

    // The drive selector that follows the list onto another volume.
    void SetDriveSelector(TDriveComboBox* selector) { selector_ = selector; }
    // The mount points the per-volume return knows.
    void SetMountPoints(std::vector<std::string> mountPoints);
    std::string CurrentVolume() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
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
    TDriveComboBox* selector_ = nullptr;
    bool filled_ = false;
};

} // namespace ravo
