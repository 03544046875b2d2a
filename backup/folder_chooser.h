// The folder chooser: a drive selector and a folder list that follow each
// other, tied by signals so that neither control knows the other.
#pragma once

namespace ravo {

class TDirectoryListBox;
class TDriveComboBox;

// Ties the pair as the backup-and-run dialog uses it: a volume chosen in the
// selector moves the list to its last folder there; the list moving onto
// another volume moves the selector's selection, and only the selection, so
// no move ever travels back to where it came from.
void ConnectChooser(TDriveComboBox& drives, TDirectoryListBox& folders);

} // namespace ravo
