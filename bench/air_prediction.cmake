# The further air prediction page's run against kuvamod on the deck it exports (the page's
# overhead: deck, met copy, progress, reading the result files, tables and maps).
if(TARGET kuva_app)
  add_executable(air_prediction_bench ${CMAKE_CURRENT_LIST_DIR}/air_prediction_bench.cpp)
  target_link_libraries(air_prediction_bench PRIVATE kuva_app Qt6::Widgets)
  target_include_directories(air_prediction_bench PRIVATE ${PROJECT_SOURCE_DIR}/src)
  add_dependencies(air_prediction_bench kuvamod)
endif()
