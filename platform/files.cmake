# File layer: open/read/write/close/type, copy without overwrite, replacing a
# rewritten file, extended attributes, error numbers.
add_library(ravo_platform STATIC
  file_api.cpp
  file_api.h
  file_attributes.cpp
  file_attributes.h
  file_copy.cpp
  file_copy.h
  file_replace.cpp
  file_replace.h)
target_include_directories(ravo_platform PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(ravo_platform PRIVATE ravo_options)
