// Tying the drive selector to the folder list. Every connection runs inside
// the guard, so an error in the receiving control is reported there and never
// travels back through the sender's signal.
#include "backup/folder_chooser.h"

#include <string>
#include <vector>

#include "backup/directory_list_box.h"
#include "backup/drive_combo_box.h"
#include "dialogs/guard.h"

namespace ravo {

void ConnectChooser(TDriveComboBox& drives, TDirectoryListBox& folders)
{
    QObject::connect(&drives, &TDriveComboBox::VolumesListed, &folders,
                     Guard([&folders](const std::vector<std::string>& mountPoints) {
                         folders.SetMountPoints(mountPoints);
                     }));
    QObject::connect(&drives, &TDriveComboBox::DriveSelected, &folders,
                     Guard([&folders](const std::string& mountPoint) { folders.ChangeDrive(mountPoint); }));
    QObject::connect(&folders, &TDirectoryListBox::VolumeShown, &drives,
                     Guard([&drives](const std::string& mountPoint) { drives.ShowDrive(mountPoint); }));
}

} // namespace ravo
