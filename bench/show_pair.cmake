if(WIN32)
  add_executable(show_pair_bench show_pair_bench.cpp $<TARGET_OBJECTS:twr_resources>)
  target_link_libraries(show_pair_bench PRIVATE twr_win32)
endif()
