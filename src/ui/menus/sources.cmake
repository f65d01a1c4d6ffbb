# Sources of this folder for the zumgui library.
target_sources(zumgui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/menu_values.cpp)
