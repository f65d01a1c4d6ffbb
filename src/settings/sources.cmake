# The Qt-free configuration and the settings file: part of zumcore.
target_sources(zumcore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/configuration.cpp
  ${CMAKE_CURRENT_LIST_DIR}/settings_file.cpp)
