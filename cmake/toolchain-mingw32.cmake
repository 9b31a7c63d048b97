# Cross-compiling for 32-bit Windows: the product.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(TWR_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
