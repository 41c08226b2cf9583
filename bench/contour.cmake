# Contour tracing of a large concentration field.
add_executable(contour_bench ${CMAKE_CURRENT_LIST_DIR}/contour_bench.cpp)
target_link_libraries(contour_bench PRIVATE kuva_present benchmark::benchmark)
