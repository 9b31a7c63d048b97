if(WIN32)
  twr_add_bench(save_bench SOURCES save_bench.cpp)
endif()
