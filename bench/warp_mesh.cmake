# Mesh warp of a 1920x1080 frame and the per-frame budget of an aligned pair.
twr_add_bench(warp_mesh_bench SOURCES warp_mesh_bench.cpp)
