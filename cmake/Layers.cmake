# The layers of the core and of the two programs, and what each folder may include.
#
# What a folder may include is written once, as the SEES list of its tramelo_layer() or
# tramelo_rule() call. The test LayersTest (cmake/CheckLayers.cmake) reads every header and
# source of each such folder and fails, naming the file and the include, where one includes
# a folder that its rule does not list. Each header of a core folder also gets a translation
# unit of its own, so that every header compiles with only what it includes itself.

# tramelo_rule(<folder> SEES <folder>...): files in <folder> include "<folder>/..." of these
# folders (and of their own) only.
function(tramelo_rule folder)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SEES")
  string(JOIN " " rule ${folder} ${arg_SEES})
  set_property(GLOBAL APPEND PROPERTY TRAMELO_LAYER_RULES "${rule}")
endfunction()

# tramelo_layer(<folder> <STATIC|OBJECT> SOURCES <file>... SEES <folder>... [LINKS <target>...])
# The library tramelo_<folder>: its sources, one check of each of its headers, and its rule.
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
  target_include_directories(tramelo_${folder} PUBLIC ${PROJECT_SOURCE_DIR})
  tramelo_rule(${folder} SEES ${arg_SEES})
  if(arg_LINKS)
    target_link_libraries(tramelo_${folder} PUBLIC ${arg_LINKS})
  endif()
endfunction()

# The test of every rule given so far; call it once, after the last rule.
function(tramelo_check_layers)
  get_property(rules GLOBAL PROPERTY TRAMELO_LAYER_RULES)
  string(JOIN "\n" text ${rules})
  file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/layer-rules.txt CONTENT "${text}\n" @ONLY)
  add_test(NAME LayersTest
           COMMAND ${CMAKE_COMMAND} -DROOT=${PROJECT_SOURCE_DIR} -DRULES=${CMAKE_BINARY_DIR}/layer-rules.txt
                   -P ${PROJECT_SOURCE_DIR}/cmake/CheckLayers.cmake)
endfunction()
