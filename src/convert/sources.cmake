target_sources(zumcore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/conversion_run.cpp
  ${CMAKE_CURRENT_LIST_DIR}/decimal_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/draw_files.cpp
  ${CMAKE_CURRENT_LIST_DIR}/fix_status.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gpx_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gpx_time.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gpx_track.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gsa_group.cpp
  ${CMAKE_CURRENT_LIST_DIR}/line_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/log_blocks.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mapped_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/live_settings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/numeric_value.cpp
  ${CMAKE_CURRENT_LIST_DIR}/output_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/output_set.cpp
  ${CMAKE_CURRENT_LIST_DIR}/parallel_run.cpp
  ${CMAKE_CURRENT_LIST_DIR}/position_report.cpp
  ${CMAKE_CURRENT_LIST_DIR}/speed_text_memo.cpp
  ${CMAKE_CURRENT_LIST_DIR}/talker.cpp
  ${CMAKE_CURRENT_LIST_DIR}/temporary_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/temporary_registry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/waypoint_decision.cpp)
# ConvertLogInParallel's worker threads.
find_package(Threads REQUIRED)
target_link_libraries(zumcore PUBLIC Threads::Threads)
