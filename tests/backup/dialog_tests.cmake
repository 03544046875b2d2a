# Tests of the backup-and-run dialog and the folder chooser.
