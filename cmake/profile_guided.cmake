# Profile-guided optimisation of the conversion core and zum-convert.
#
# ZUM_PROFILE=generate builds them instrumented; running bench/train-profile.sh
# with that build writes the counts into ZUM_PROFILE_DIR. ZUM_PROFILE=use
# compiles them with those counts. Without a profile (a build configured
# before any training) the use build is an ordinary optimised build.
#
# The count files are named after the object files relative to the build
# folder (-fprofile-prefix-path), so the training build and the release build
# find the same names although they live in different folders. Ninja does not
# know the count files, so every object of the trained targets depends on the
# stamp the training script touches last: a new profile recompiles them.
set(ZUM_PROFILE "" CACHE STRING "Profile-guided optimisation: empty, generate or use")
set_property(CACHE ZUM_PROFILE PROPERTY STRINGS "" generate use)
set(ZUM_PROFILE_DIR "${PROJECT_SOURCE_DIR}/build/profile"
    CACHE PATH "Where the training counts are written and read")

function(zum_profile_guided)
  if(ZUM_PROFILE STREQUAL "")
    return()
  endif()
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    message(WARNING "ZUM_PROFILE needs g++; building without a profile")
    return()
  endif()
  foreach(target IN LISTS ARGN)
    target_compile_options(${target} PRIVATE -fprofile-prefix-path=${PROJECT_BINARY_DIR})
    if(ZUM_PROFILE STREQUAL "generate")
      # Atomic counters: the training runs the threaded conversion too.
      target_compile_options(${target} PRIVATE -fprofile-generate=${ZUM_PROFILE_DIR}
                                               -fprofile-update=atomic)
      target_link_options(${target} PRIVATE -fprofile-generate=${ZUM_PROFILE_DIR})
    elseif(ZUM_PROFILE STREQUAL "use")
      # Code the training never ran is optimised as without a profile; a
      # missing or out-of-date count file is no error, only a lost gain.
      target_compile_options(
        ${target} PRIVATE -fprofile-use=${ZUM_PROFILE_DIR} -fprofile-partial-training
                          -Wno-missing-profile -Wno-coverage-mismatch)
      set(stamp ${ZUM_PROFILE_DIR}/profile.stamp)
      if(NOT EXISTS ${stamp})
        file(MAKE_DIRECTORY ${ZUM_PROFILE_DIR})
        file(TOUCH ${stamp})
      endif()
      get_target_property(sources ${target} SOURCES)
      set_source_files_properties(${sources} TARGET_DIRECTORY ${target} PROPERTIES
                                  OBJECT_DEPENDS ${stamp})
      # A compiler cache cannot tell one profile from another here (it does
      # not follow -fprofile-prefix-path), so these objects are always
      # compiled afresh.
      set_property(TARGET ${target} PROPERTY CXX_COMPILER_LAUNCHER "")
    else()
      message(FATAL_ERROR "ZUM_PROFILE must be empty, generate or use, not ${ZUM_PROFILE}")
    endif()
  endforeach()
endfunction()
