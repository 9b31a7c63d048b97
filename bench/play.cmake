if(WIN32)
  add_executable(play_bench play_bench.cpp $<TARGET_OBJECTS:twr_resources>)
  target_link_libraries(play_bench PRIVATE twr_win32)
endif()
