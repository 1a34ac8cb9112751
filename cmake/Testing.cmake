# Helpers that register the project's tests. One test executable is one behaviour family;
# CTest runs each executable as one test.
#
#   quillon_add_unit_test(NAME SOURCES ... [LIBS ...])
#       host GoogleTest program (also built under ASan/UBSan by the sanitize preset), linked with
#       the portable test kit (tests/support).
#   quillon_add_windows_test_program(NAME SOURCES ... [LIBS ...] [GTEST] [GUI])
#       a Windows program built with MinGW into bin/, statically linked (GTEST: with gtest_main).
#   quillon_add_wine_test(NAME COMMAND PROGRAM [ARGS ...] [TIMEOUT seconds])
#       runs PROGRAM (a target name or a path) under the Wine test bench.

function(quillon_add_unit_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} quillon_test_kit GTest::gtest GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES LABELS unit TIMEOUT 120)
endfunction()

if(WIN32)
  # GoogleTest from Debian's source package, built once per Windows build tree with MinGW.
  if(NOT TARGET gtest AND QUILLON_WINE_TESTS)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    target_compile_options(gtest PRIVATE -w)
    target_compile_options(gtest_main PRIVATE -w)
  endif()

  function(quillon_add_windows_test_program name)
    cmake_parse_arguments(T "GTEST;GUI" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS})
    target_link_options(${name} PRIVATE ${QUILLON_STATIC_RUNTIME})
    if(T_GTEST)
      target_link_libraries(${name} PRIVATE gtest gtest_main)
    endif()
    if(T_GUI)
      target_link_options(${name} PRIVATE -mwindows)
    endif()
  endfunction()

  set(QUILLON_WINE_STATE ${CMAKE_BINARY_DIR}/wine-bench)
  function(quillon_add_wine_test name)
    cmake_parse_arguments(T "" "TIMEOUT" "COMMAND" ${ARGN})
    list(POP_FRONT T_COMMAND program)
    if(TARGET ${program})
      set(program $<TARGET_FILE:${program}>)
    endif()
    if(NOT T_TIMEOUT)
      set(T_TIMEOUT 300)
    endif()
    add_test(NAME ${name}
             COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/wine-run.sh ${QUILLON_WINE_STATE} ${program} ${T_COMMAND}
             WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
    # One desktop, one mouse: Wine tests never overlap each other.
    set_tests_properties(${name} PROPERTIES LABELS wine TIMEOUT ${T_TIMEOUT}
                         FIXTURES_REQUIRED wine_bench RESOURCE_LOCK wine_desktop)
  endfunction()
endif()
