if(WIN32)
  add_executable(d3dplayer_bench d3dplayer_bench.cpp $<TARGET_OBJECTS:twr_resources>)
  target_link_libraries(d3dplayer_bench PRIVATE twr_win32)
endif()
