# The backup step: copies the listed files into the backup folder.
add_library(ravo_backup_step STATIC
  backup_step.cpp
  backup_step.h)
target_include_directories(ravo_backup_step PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(ravo_backup_step PUBLIC ravo_engine PRIVATE ravo_platform ravo_options)
