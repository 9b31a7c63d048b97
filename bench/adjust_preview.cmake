# The easy-adjustment preview rebuilt after one slider step.
twr_add_bench(adjust_preview_bench SOURCES adjust_preview_bench.cpp)
