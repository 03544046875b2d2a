# Tests of the launcher part of platform/.
add_executable(launcher_tests launcher_tests.cpp)
target_link_libraries(launcher_tests PRIVATE ravo_launcher GTest::gtest_main ravo_options)
gtest_discover_tests(launcher_tests DISCOVERY_MODE PRE_TEST)
