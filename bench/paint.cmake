if(WIN32)
  add_executable(paint_bench paint_bench.cpp)
  target_link_libraries(paint_bench PRIVATE user32 gdi32)
endif()
