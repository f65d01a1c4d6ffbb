# The Qt-free configuration and the settings files: part of zumcore.
target_sources(zumcore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/atomic_save.cpp
  ${CMAKE_CURRENT_LIST_DIR}/configuration.cpp
  ${CMAKE_CURRENT_LIST_DIR}/own_settings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/settings_file.cpp)
