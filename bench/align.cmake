# Automatic alignment of a frame pair and the per-frame analysis.
twr_add_bench(align_bench WIN32_ONLY SOURCES align_bench.cpp)
