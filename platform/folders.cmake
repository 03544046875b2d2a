# Current folder and the list of mounted volumes.
add_library(ravo_platform_folders STATIC
  current_folder.cpp
  current_folder.h
  volumes.cpp
  volumes.h
)
target_include_directories(ravo_platform_folders PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(ravo_platform_folders PUBLIC Qt6::Core PRIVATE ravo_options)
