# Sources of this folder for the zumgui library.
target_sources(zumgui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/drive_list.cpp
  ${CMAKE_CURRENT_LIST_DIR}/file_list.cpp
  ${CMAKE_CURRENT_LIST_DIR}/file_panel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/folder_list.cpp
  ${CMAKE_CURRENT_LIST_DIR}/line_thinning.cpp
  ${CMAKE_CURRENT_LIST_DIR}/new_folder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/track_picture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/track_preview.cpp)
