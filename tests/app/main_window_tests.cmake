# Tests of the main window and the program as a whole.
add_executable(main_window_tests
  main_window_fixture.h
  main_window_keys_tests.cpp
  main_window_tests.cpp
)
target_link_libraries(main_window_tests PRIVATE ravo_main_window ravo_qt_test_main ravo_options)
gtest_discover_tests(main_window_tests DISCOVERY_MODE PRE_TEST)

# The program on a real X server: it starts, shows its window and ends when
# the window is closed.
add_test(NAME ravo_smoke
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/smoke_test.sh $<TARGET_FILE:ravo>)
# xvfb-run -a picks a free display racily: one real-display test at a time.
set_tests_properties(ravo_smoke PROPERTIES TIMEOUT 90 RESOURCE_LOCK x_display)
