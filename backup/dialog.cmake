# The backup-and-run dialog, the drive selector and the folder list.
