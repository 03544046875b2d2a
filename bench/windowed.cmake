# The windowed run benchmark: a whole run through the real windows, offscreen,
# timed from pressing continue to the end (run_windowed_bench.sh).
add_executable(ravo_windowed_run windowed_run.cpp)
target_link_libraries(ravo_windowed_run PRIVATE ravo_program ravo_dialogs ravo_options)
