# Sources of this folder for the zumgui library.
target_sources(zumgui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/help_texts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/list_window.cpp)
