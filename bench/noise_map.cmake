# Outdoor noise over a plant: receivers of a grid from many point sources behind barriers.
add_executable(noise_map_bench ${CMAKE_CURRENT_LIST_DIR}/noise_map_bench.cpp)
target_link_libraries(noise_map_bench PRIVATE kuva_models benchmark::benchmark)
