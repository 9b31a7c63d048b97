if(WIN32)
  add_executable(pageflip_bench pageflip_bench.cpp $<TARGET_OBJECTS:twr_resources>)
  target_link_libraries(pageflip_bench PRIVATE twr_win32)
  # The WinX3D stand-in in a folder of its own, named to the program.
  add_custom_command(TARGET pageflip_bench POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory $<TARGET_FILE_DIR:pageflip_bench>/w3d
    COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:w3d_dd_standin>
            $<TARGET_FILE_DIR:pageflip_bench>/w3d/W3D_DD.DLL)
  add_dependencies(pageflip_bench w3d_dd_standin)
endif()
