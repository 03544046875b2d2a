# Tests of the backup step.
