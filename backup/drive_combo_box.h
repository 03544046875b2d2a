// TDriveComboBox, the drive selector of the backup folder chooser: a
// drop-down list (no edit field) of the mounted volumes, tied to a folder
// list that it moves to the chosen volume.
#pragma once

#include <QComboBox>
#include <functional>
#include <string>
#include <vector>

#include "platform/volumes.h"

namespace ravo {

class TDirectoryListBox;

class TDriveComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TDriveComboBox(QWidget* parent = nullptr);

    // Ties the selector to the folder list it moves (both ways).
    void SetDirList(TDirectoryListBox* list);
    // Where the volumes come from; the mounted ones unless a test says else.
    void SetVolumeSource(std::function<std::vector<Volume>()> source) { volumeSource_ = std::move(source); }

    // Rebuilds the entries and selects the folder list's volume.
    void Fill();
    // Makes the volume mounted at mountPoint the selected one (empty: none)
    // and moves the folder list there.
    void SelectDrive(const std::string& mountPoint);
    // The selected volume's mount point; empty when none is selected.
    const std::string& DriveLetter() const { return driveLetter_; }
    VolumeKind KindOf(int entry) const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::function<std::vector<Volume>()> volumeSource_;
    TDirectoryListBox* dirList_ = nullptr;
    std::string driveLetter_;
    bool filled_ = false;
};

} // namespace ravo
