# The computation layers stay free of Qt: no Qt header in core, models, tools, present, screen
# or the command-line front end, nor in the updater's rules.
file(GLOB_RECURSE sources
  ${SRC}/core/*.h ${SRC}/core/*.cpp ${SRC}/models/*.h ${SRC}/models/*.cpp
  ${SRC}/tools/*.h ${SRC}/tools/*.cpp ${SRC}/present/*.h ${SRC}/present/*.cpp
  ${SRC}/screen/*.h ${SRC}/screen/*.cpp ${SRC}/cli/*.h ${SRC}/cli/*.cpp
  ${SRC}/update/update_core.* ${SRC}/update/replace.*)
set(offenders "")
foreach(f ${sources})
  file(STRINGS ${f} hits REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]Q")
  if(hits)
    list(APPEND offenders ${f})
  endif()
endforeach()
if(offenders)
  message(FATAL_ERROR "Qt headers in non-Qt code: ${offenders}")
endif()
