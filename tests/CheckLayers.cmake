# Fails when a source file includes a header of a folder above its own:
#   platform < widgets
#   platform < model/database < model/lists < model/tasks
#              < model/schedule, model/alerts, model/backup
#   widgets, model/* < ui/lists < ui/tasks < ui/schedule, ui/alerts, ui/utilities
#   everything < app
# Run by ctest: cmake -DSOURCE_DIR=<src> -P CheckLayers.cmake
cmake_minimum_required(VERSION 3.22)
set(model_all model/database model/lists model/tasks model/schedule model/alerts model/backup)
set(allowed_platform platform)
set(allowed_widgets platform widgets)
set(allowed_model/database platform model/database)
set(allowed_model/lists platform model/database model/lists)
set(allowed_model/tasks platform model/database model/lists model/tasks)
set(allowed_model/schedule ${allowed_model/tasks} model/schedule)
set(allowed_model/alerts ${allowed_model/tasks} model/alerts)
set(allowed_model/backup ${allowed_model/tasks} model/backup)
set(allowed_ui/lists platform widgets ${model_all} ui/lists)
set(allowed_ui/tasks ${allowed_ui/lists} ui/tasks)
set(allowed_ui/schedule ${allowed_ui/tasks} ui/schedule)
set(allowed_ui/alerts ${allowed_ui/tasks} ui/alerts)
set(allowed_ui/utilities ${allowed_ui/tasks} ui/utilities)
set(layers platform widgets ${model_all} ui/lists ui/tasks ui/schedule ui/alerts ui/utilities)

set(faults "")
# Every folder that holds code is one of the layers (or the main window's).
file(GLOB_RECURSE all_files RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.cpp ${SOURCE_DIR}/*.h)
foreach(rel ${all_files})
  get_filename_component(folder ${rel} DIRECTORY)
  if(NOT folder IN_LIST layers AND NOT folder STREQUAL "app")
    string(APPEND faults "\n  ${rel}: in no layer's folder")
  endif()
endforeach()
foreach(layer ${layers})
  file(GLOB files ${SOURCE_DIR}/${layer}/*.cpp ${SOURCE_DIR}/${layer}/*.h)
  foreach(f ${files})
    file(STRINGS ${f} includes REGEX "^#include \"[a-z]+/")
    foreach(line ${includes})
      string(REGEX REPLACE "^#include \"((model/|ui/)?[a-z]+)/.*" "\\1" target "${line}")
      if(NOT target IN_LIST allowed_${layer})
        file(RELATIVE_PATH rel ${SOURCE_DIR} ${f})
        string(APPEND faults "\n  ${rel}: ${line}")
      endif()
    endforeach()
  endforeach()
endforeach()
if(faults)
  message(FATAL_ERROR "A layer includes one above it:${faults}")
endif()
