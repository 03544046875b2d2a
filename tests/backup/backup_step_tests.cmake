# Tests of the backup step.
add_executable(backup_step_tests backup_step_tests.cpp)
target_link_libraries(backup_step_tests PRIVATE ravo_backup_step GTest::gtest_main ravo_options)
gtest_discover_tests(backup_step_tests DISCOVERY_MODE PRE_TEST)
