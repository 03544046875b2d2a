// TDriveComboBox, the drive selector of the backup folder chooser: a
// drop-down list (no edit field) of the mounted volumes. It knows no folder
// list: what it chooses goes out as signals, and what it shows can be set
// from outside, so the dialog ties it to its folder list (ConnectChooser).
#pragma once

#include <QComboBox>
#include <functional>
#include <string>
#include <vector>

#include "platform/volumes.h"

namespace ravo {

class TDriveComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TDriveComboBox(QWidget* parent = nullptr);

    // Where the volumes come from; the mounted ones unless a test says else.
    void SetVolumeSource(std::function<std::vector<Volume>()> source) { volumeSource_ = std::move(source); }

    // Rebuilds the entries with none selected and announces their volumes.
    void Fill();
    // Makes the volume mounted at mountPoint the selected one (empty: none)
    // and announces the choice, unless it was selected already.
    void SelectDrive(const std::string& mountPoint);
    // Selects the entry of the volume a folder list has moved onto, without
    // announcing it: the list is there already.
    void ShowDrive(const std::string& mountPoint);
    // The selected volume's mount point; empty when none is selected.
    const std::string& DriveLetter() const { return driveLetter_; }
    VolumeKind KindOf(int entry) const;

signals:
    // The entries were rebuilt for these volumes, in order.
    void VolumesListed(const std::vector<std::string>& mountPoints);
    // The user, or SelectDrive, chose another volume.
    void DriveSelected(const std::string& mountPoint);

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool selectEntry(const std::string& mountPoint);

    std::function<std::vector<Volume>()> volumeSource_;
    std::string driveLetter_;
    bool filled_ = false;
};

} // namespace ravo
