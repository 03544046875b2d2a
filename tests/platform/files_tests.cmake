# Tests of the files part of platform/.
add_executable(platform_files_tests
  file_api_tests.cpp
  file_copy_tests.cpp
  file_replace_tests.cpp)
target_link_libraries(platform_files_tests PRIVATE ravo_platform GTest::gtest_main ravo_options)
gtest_discover_tests(platform_files_tests DISCOVERY_MODE PRE_TEST)
