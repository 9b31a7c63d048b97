if(WIN32)
  add_executable(mediaplayer_bench mediaplayer_bench.cpp $<TARGET_OBJECTS:twr_resources>)
  target_link_libraries(mediaplayer_bench PRIVATE twr_win32)
endif()
