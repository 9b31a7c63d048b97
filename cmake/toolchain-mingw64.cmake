# Cross-compiling the same sources for 64-bit Windows (x86-64): the build
# that runs where a machine executes 64-bit code only.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(TWR_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
