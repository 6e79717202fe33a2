# The workbench's readers of files a user can be handed (the settings record, basket and task
# basket files, task parameters, the header probe), on Qt Core alone: every build has them, so
# the fuzz and sanitizer builds, which leave the program out, fuzz and sanitize them too.
add_library(velmora_readers STATIC
  ${CMAKE_SOURCE_DIR}/app/browse/cls_file.cpp
  ${CMAKE_SOURCE_DIR}/app/browse/header_probe.cpp
  ${CMAKE_SOURCE_DIR}/app/shell/setup_record_codec.cpp
  ${CMAKE_SOURCE_DIR}/app/tasks/editing_task.cpp)
target_include_directories(velmora_readers PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(velmora_readers PUBLIC Qt6::Core velmora_platform)
