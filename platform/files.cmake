# File layer: open/read/write/close/type, delete, copy without overwrite, error numbers.
