target_sources(zum-convert PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/convert_options.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gnu_conventions.cpp)
