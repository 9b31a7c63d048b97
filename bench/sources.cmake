if(WIN32)
  twr_add_bench(sources_bench SOURCES sources_bench.cpp)
endif()
