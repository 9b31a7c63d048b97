if(WIN32)
  twr_add_bench(compose_bench SOURCES compose_bench.cpp $<TARGET_OBJECTS:twr_resources>)
endif()
