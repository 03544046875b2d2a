# The backup step: copies the listed files into the backup folder.
