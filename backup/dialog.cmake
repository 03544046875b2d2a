# The backup-and-run dialog, the drive selector and the folder list.
add_library(ravo_backup STATIC
  directory_list_box.cpp
  directory_list_box.h
  drive_combo_box.cpp
  drive_combo_box.h
  form2.cpp
  form2.h
  run_host.h
)
target_include_directories(ravo_backup PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(ravo_backup
  PUBLIC Qt6::Widgets ravo_dialogs ravo_engine ravo_backup_step ravo_platform_folders ravo_resources
  PRIVATE ravo_options)
