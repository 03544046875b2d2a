# Tests of the backup-and-run dialog and the folder chooser.
add_executable(backup_dialog_tests
  chooser_tests.cpp
  form2_tests.cpp
  temporary_tree.h
)
target_link_libraries(backup_dialog_tests PRIVATE ravo_backup ravo_qt_test_main ravo_options)
gtest_discover_tests(backup_dialog_tests DISCOVERY_MODE PRE_TEST)
