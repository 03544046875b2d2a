# Current folder and the list of mounted volumes.
