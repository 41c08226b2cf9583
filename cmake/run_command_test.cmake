# Runs PROG with ARGS (a list) without a display; fails unless it ends with CODE and its output
# matches MATCH.
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb
          ${PROG} ${ARGS}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 30)
if(NOT "${rc}" STREQUAL "${CODE}")
  message(FATAL_ERROR "${PROG} ${ARGS}: exit status ${rc}, expected ${CODE}\n${out}${err}")
endif()
if(NOT "${out}${err}" MATCHES "${MATCH}")
  message(FATAL_ERROR "${PROG} ${ARGS}: output does not match '${MATCH}':\n${out}${err}")
endif()
