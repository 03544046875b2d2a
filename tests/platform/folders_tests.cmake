# Tests of the folders part of platform/.
add_executable(folders_tests
  current_folder_tests.cpp
  volumes_tests.cpp
)
target_link_libraries(folders_tests PRIVATE ravo_platform_folders GTest::gtest_main ravo_options)
gtest_discover_tests(folders_tests DISCOVERY_MODE PRE_TEST)
