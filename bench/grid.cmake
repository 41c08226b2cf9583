# Result grid: filling, scrolling and copying a million cells (only with the widgets).
if(TARGET kuva_widgets)
  add_executable(grid_bench ${CMAKE_CURRENT_SOURCE_DIR}/grid_bench.cpp)
  target_link_libraries(grid_bench PRIVATE kuva_widgets benchmark::benchmark Qt6::Widgets)
endif()
