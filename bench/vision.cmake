if(WIN32)
  add_executable(vision_bench vision_bench.cpp $<TARGET_OBJECTS:twr_resources>)
  target_link_libraries(vision_bench PRIVATE twr_win32)
  # The NVAPI stand-in beside the program, found by its name "nvapi.dll".
  add_custom_command(TARGET vision_bench POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:nvapi_standin>
            $<TARGET_FILE_DIR:vision_bench>/nvapi.dll)
  add_dependencies(vision_bench nvapi_standin)
endif()
