target_sources(zumgui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/dialogs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/drives.cpp
  ${CMAKE_CURRENT_LIST_DIR}/twips.cpp)
