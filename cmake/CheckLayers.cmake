# Checks that no folder includes one its layer rule does not let it see (cmake/Layers.cmake).
#
#   cmake -DROOT=<source tree> -DRULES=<rules file> -P CheckLayers.cmake
#
# RULES holds one line per folder: the folder, then the folders it may include, separated by
# spaces. Only includes written with a folder ("shapefile/Layouts.h") are looked at; every
# wrong one is listed before the check fails.

cmake_minimum_required(VERSION 3.25)

file(STRINGS ${RULES} rules)
set(folders "")
foreach(rule IN LISTS rules)
  string(REPLACE " " ";" words "${rule}")
  list(GET words 0 folder)
  list(APPEND folders ${folder})
  set(sees_${folder} ${words})
endforeach()

set(problems 0)
set(files_read 0)
foreach(folder IN LISTS folders)
  file(GLOB files RELATIVE ${ROOT} ${ROOT}/${folder}/*.h ${ROOT}/${folder}/*.cpp)
  foreach(file IN LISTS files)
    math(EXPR files_read "${files_read} + 1")
    file(STRINGS ${ROOT}/${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"/]+/")
    foreach(include IN LISTS includes)
      string(REGEX MATCH "\"([^\"/]+)/" ignored "${include}")
      if(NOT CMAKE_MATCH_1 IN_LIST sees_${folder})
        string(STRIP "${include}" include)
        string(REPLACE ";" " " allowed "${sees_${folder}}")
        message(SEND_ERROR "${file}: ${include}: ${folder}/ may include only ${allowed}")
        math(EXPR problems "${problems} + 1")
      endif()
    endforeach()
  endforeach()
endforeach()

if(files_read EQUAL 0)
  message(FATAL_ERROR "no file of the folders in ${RULES} was found under ${ROOT}")
endif()
if(problems GREATER 0)
  message(FATAL_ERROR "${problems} include(s) across the layers")
endif()
message(STATUS "${files_read} files, every include within its layer")
