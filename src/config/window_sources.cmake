# Sources of this folder for the zumgui library: the main window.
target_sources(zumgui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/main_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_window_menus.cpp)
