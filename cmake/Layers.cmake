# The layers of the core, as the build enforces them.
#
# Every folder builds as a library of its own, and each library compiles with an include path
# that shows it only the folders it may use: a "view", a folder in the build tree holding a
# link to each of them. An include of a folder outside the view does not exist for that
# library, so it fails to compile. Each header of a folder also gets a translation unit of its
# own in the folder's library, so that a header is checked in its own view even when only
# higher layers include it.
#
# Where the build machine cannot make symbolic links (Windows without the right to), the
# views fall back to the whole source tree: the build works the same, without the check.

set(TRAMELO_VIEW_ROOT ${CMAKE_BINARY_DIR}/views)
file(MAKE_DIRECTORY ${TRAMELO_VIEW_ROOT})
if(NOT DEFINED TRAMELO_VIEWS)
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/platform ${TRAMELO_VIEW_ROOT}/probe SYMBOLIC RESULT probe)
  file(REMOVE ${TRAMELO_VIEW_ROOT}/probe)
  if(probe EQUAL 0)
    set(TRAMELO_VIEWS ON CACHE INTERNAL "Include views by symbolic links")
  else()
    set(TRAMELO_VIEWS OFF CACHE INTERNAL "Include views by symbolic links")
    message(STATUS "No symbolic links here: includes are not checked against the layers")
  endif()
endif()

# tramelo_view(<target> <folder>...): <target> includes "<folder>/..." for these folders only.
function(tramelo_view target)
  if(NOT TRAMELO_VIEWS)
    target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
    return()
  endif()
  set(view ${TRAMELO_VIEW_ROOT}/${target})
  file(MAKE_DIRECTORY ${view})
  # A folder dropped from the list must disappear from the view as well.
  file(GLOB present LIST_DIRECTORIES true RELATIVE ${view} ${view}/*)
  foreach(entry IN LISTS present)
    if(NOT entry IN_LIST ARGN)
      file(REMOVE ${view}/${entry})
    endif()
  endforeach()
  foreach(folder IN LISTS ARGN)
    if(NOT EXISTS ${view}/${folder})
      file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${view}/${folder} SYMBOLIC)
    endif()
  endforeach()
  target_include_directories(${target} PRIVATE ${view})
endfunction()

# tramelo_layer(<folder> <STATIC|OBJECT> SOURCES <file>... SEES <folder>... [LINKS <target>...])
# The library tramelo_<folder>: its sources, one check of each of its headers, and a view
# of itself and the folders it SEES.
function(tramelo_layer folder type)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "SOURCES;SEES;LINKS")
  file(GLOB headers CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR}/${folder} ${PROJECT_SOURCE_DIR}/${folder}/*.h)
  set(checks "")
  foreach(header IN LISTS headers)
    get_filename_component(stem ${header} NAME_WE)
    set(check ${CMAKE_BINARY_DIR}/header-checks/${folder}/${stem}.cpp)
    file(CONFIGURE OUTPUT ${check} CONTENT "#include \"${folder}/${header}\"  // compiles on its own\n" @ONLY)
    list(APPEND checks ${check})
  endforeach()
  list(TRANSFORM arg_SOURCES PREPEND ${PROJECT_SOURCE_DIR}/${folder}/)
  add_library(tramelo_${folder} ${type} ${arg_SOURCES} ${checks})
  tramelo_view(tramelo_${folder} ${folder} ${arg_SEES})
  if(arg_LINKS)
    target_link_libraries(tramelo_${folder} PUBLIC ${arg_LINKS})
  endif()
endfunction()
