# Sources of this folder for the zumgui library: the main window, its menu
# tree and the helpers that turn menu choices into values.
target_sources(zumgui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/main_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_window_menus.cpp
  ${CMAKE_CURRENT_LIST_DIR}/menu_values.cpp)
