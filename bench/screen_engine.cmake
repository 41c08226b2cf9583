# Benchmark of the screening engine (built with KUVA_BUILD_BENCH=ON).
add_executable(screen_engine_bench ${CMAKE_CURRENT_LIST_DIR}/screen_engine_bench.cpp)
target_link_libraries(screen_engine_bench PRIVATE kuva_screen_engine benchmark::benchmark)
