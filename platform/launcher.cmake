# Starting an external program.
add_library(ravo_launcher STATIC
  launcher.cpp
  launcher.h
)
target_include_directories(ravo_launcher PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(ravo_launcher PRIVATE ravo_options)
