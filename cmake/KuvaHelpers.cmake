# kuva_add_gtest(NAME SOURCES... LIBS libs...)
# One GoogleTest executable registered with ctest as one test.
function(kuva_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES} ${ARG_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    KUVA_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data"
    KUVA_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT 600)
endfunction()

# kuva_add_qtest(NAME SOURCES... LIBS libs...)
# A Qt Test executable run offscreen.
function(kuva_add_qtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES} ${ARG_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test Qt6::Widgets)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    KUVA_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data"
    KUVA_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
  add_test(NAME ${name} COMMAND ${name})
  # Each program keeps its settings, data and cache in a folder of its own under the build, so
  # tests running side by side never read one another's settings, nor touch the user's.
  set(home ${CMAKE_BINARY_DIR}/test-home/${name})
  file(MAKE_DIRECTORY ${home}/config ${home}/data ${home}/cache)
  set_tests_properties(${name} PROPERTIES TIMEOUT 600
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;XDG_CONFIG_HOME=${home}/config;XDG_DATA_HOME=${home}/data;XDG_CACHE_HOME=${home}/cache")
endfunction()

# Subdirectories are added only when they hold a CMakeLists.txt, so areas can grow independently.
macro(kuva_add_subdirs)
  foreach(dir ${ARGN})
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
      add_subdirectory(${dir})
    endif()
  endforeach()
endmacro()

# A program's command line as a user types it: `prog` with the arguments after MATCH ends with
# exit status `code` and prints text matching `match` (standard output and error together). The
# program runs without a display (and with the X11 platform asked for), so one that touched the
# window system aborts.
function(kuva_add_command_test name prog code match)
  add_test(NAME ${name} COMMAND ${CMAKE_COMMAND} -DPROG=$<TARGET_FILE:${prog}> "-DARGS=${ARGN}"
    -DCODE=${code} "-DMATCH=${match}" -P ${PROJECT_SOURCE_DIR}/cmake/run_command_test.cmake)
endfunction()
