if(WIN32)
  add_executable(glstereo_bench glstereo_bench.cpp $<TARGET_OBJECTS:twr_resources>)
  target_link_libraries(glstereo_bench PRIVATE twr_win32)
endif()
