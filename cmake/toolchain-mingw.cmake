# Cross-compiling for Windows with the posix-thread mingw-w64 compilers (the
# win32-thread ones lack std::thread, which GoogleTest needs) of the
# triplet TWR_MINGW_TRIPLET, set by the target's toolchain file.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${TWR_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TWR_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TWR_MINGW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TWR_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Test programs run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
