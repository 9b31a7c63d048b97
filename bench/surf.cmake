# Built-in feature matcher: extraction and pair search of a frame pair.
twr_add_bench(surf_bench SOURCES surf_bench.cpp)
