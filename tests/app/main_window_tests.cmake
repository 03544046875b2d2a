# Tests of the main window and the program as a whole.
