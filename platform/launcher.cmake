# Starting an external program.
