cmake_minimum_required(VERSION 3.22)
# Checks that the folders depend one way: a file may include the headers of
# its own folder and of the folders listed for it, never of a folder that
# depends on it. Run with -DSOURCE_DIR=<project root>.
set(allowed_common "")
set(allowed_imaging "")
set(allowed_store common imaging)
set(allowed_legacy common imaging store)
set(allowed_library common imaging store legacy)
set(allowed_desktop common imaging)
set(allowed_viewer common imaging library)
set(allowed_artwork "")
# The windows reach the albums through the library alone, never the store.
set(allowed_dialogs common imaging library desktop artwork)
set(allowed_mainwindow common imaging library desktop artwork dialogs viewer)
set(allowed_app common imaging store legacy library desktop artwork dialogs viewer mainwindow)
set(allowed_tools common imaging store)
# The guide's screenshots are taken from the program's own windows.
set(allowed_guide common imaging store legacy library desktop artwork dialogs viewer mainwindow)
# Tests and benchmarks may use every part of the program; the program never
# uses theirs.
set(allowed_tests common imaging store legacy library desktop viewer artwork dialogs mainwindow app tools)
set(allowed_bench common imaging store legacy library desktop viewer artwork dialogs mainwindow app tools)
set(layers common imaging store legacy library desktop viewer artwork dialogs mainwindow app tools guide tests bench)

# Which folder each header lives in.
foreach(layer IN LISTS layers)
  file(GLOB headers RELATIVE "${SOURCE_DIR}/${layer}" "${SOURCE_DIR}/${layer}/*.h")
  foreach(header IN LISTS headers)
    set(home_${header} ${layer})
  endforeach()
endforeach()

set(failures "")
foreach(layer IN LISTS layers)
  file(GLOB sources "${SOURCE_DIR}/${layer}/*.cpp" "${SOURCE_DIR}/${layer}/*.h")
  foreach(source IN LISTS sources)
    file(STRINGS "${source}" includes REGEX "^#include \"")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" header "${line}")
      set(home "${home_${header}}")
      if(home AND NOT home STREQUAL layer AND NOT home IN_LIST allowed_${layer})
        list(APPEND failures "${source} includes ${header} of ${home}")
      endif()
    endforeach()
  endforeach()
endforeach()

if(failures)
  list(JOIN failures "\n" text)
  message(FATAL_ERROR "Headers of a higher layer included:\n${text}")
endif()
message(STATUS "layers depend one way")
