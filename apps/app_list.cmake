# Reads apps/app_list.h, the one list of deliverables, into
#   HANDHELD_APPS, DESKTOP_APPS       the names, in the list's order;
#   APP_<name>_SWITCHES               the switches of each, as written in its line.
# Editing the list configures the build again.
set(_app_list ${CMAKE_CURRENT_LIST_DIR}/app_list.h)
set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_app_list})
file(STRINGS ${_app_list} _app_lines REGEX "^(HANDHELD|DESKTOP)_APP\\(")
set(HANDHELD_APPS)
set(DESKTOP_APPS)
foreach(_line IN LISTS _app_lines)
  if(NOT _line MATCHES "^(HANDHELD|DESKTOP)_APP\\(\"([a-z0-9_-]+)\"((, *-?[0-9]+)+)\\) *$")
    message(FATAL_ERROR "apps/app_list.h: cannot read the line: ${_line}")
  endif()
  set(_program ${CMAKE_MATCH_1})
  set(_name ${CMAKE_MATCH_2})
  string(REGEX REPLACE "^, *" "" _switches "${CMAKE_MATCH_3}")
  string(REGEX REPLACE ", *" ";" _switches "${_switches}")
  list(LENGTH _switches _count)
  if((_program STREQUAL "HANDHELD" AND NOT _count EQUAL 5) OR (_program STREQUAL "DESKTOP" AND NOT _count EQUAL 4))
    message(FATAL_ERROR "apps/app_list.h: ${_name} has ${_count} switches")
  endif()
  list(APPEND ${_program}_APPS ${_name})
  set(APP_${_name}_SWITCHES ${_switches})
endforeach()
