# Helpers for the test tree.
#
# twr_add_test(name SOURCES ... [WIN32_ONLY] [RESOURCES])
#   A GoogleTest program run as one ctest entry (under Wine in the cross
#   build). WIN32_ONLY programs are built only for Windows; RESOURCES links
#   the program's resources in.
function(twr_add_test name)
  cmake_parse_arguments(T "WIN32_ONLY;RESOURCES" "" "SOURCES" ${ARGN})
  if(T_WIN32_ONLY AND NOT WIN32)
    return()
  endif()
  set(srcs ${T_SOURCES})
  if(T_RESOURCES AND WIN32)
    list(APPEND srcs $<TARGET_OBJECTS:twr_resources>)
  endif()
  add_executable(${name} ${srcs})
  if(WIN32)
    target_link_libraries(${name} PRIVATE twr_win32 gtest_main)
  else()
    target_link_libraries(${name} PRIVATE twr_portable gtest_main)
  endif()
  add_test(NAME ${name} COMMAND ${name})
endfunction()

# twr_add_fuzzer(name SOURCES ...)
#   A libFuzzer target of the native build (clang only). scripts/fuzz.sh
#   runs each one for a bounded time on its seed corpus in
#   tests/fuzz/corpus/<name> and keeps crashing inputs there as fixtures,
#   which the target's ctest entry replays.
function(twr_add_fuzzer name)
  cmake_parse_arguments(F "" "" "SOURCES" ${ARGN})
  if(WIN32 OR NOT TWR_FUZZ OR NOT CMAKE_CXX_COMPILER_ID MATCHES Clang)
    return()
  endif()
  add_executable(${name} ${F_SOURCES})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE twr_portable)
  set(corpus ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${name})
  if(EXISTS ${corpus})
    add_test(NAME ${name}_corpus COMMAND ${name} -runs=0 ${corpus})
  endif()
  set_property(GLOBAL APPEND PROPERTY TWR_FUZZERS ${name})
endfunction()
