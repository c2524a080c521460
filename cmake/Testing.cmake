# Test registration. Windows test executables run under Wine through a wrapper configured into the
# build tree, which owns this tree's private WINEPREFIX; native ones run directly.

if(WIN32 AND CMAKE_CROSSCOMPILING)
  configure_file(${CMAKE_SOURCE_DIR}/scripts/wine-run.in ${CMAKE_BINARY_DIR}/wine-run @ONLY
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
endif()

find_program(TOLVAN_PYTHON NAMES python3 PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)

# tolvan_add_gtest(<name> SOURCES ... [LIBS ...] [LABELS ...] [TIMEOUT s] [OWN_MAIN])
# One executable, one CTest entry. LABELS "window" marks tests that need the X display.
# OWN_MAIN: the sources define main() themselves (otherwise gtest_main is linked).
function(tolvan_add_gtest name)
  cmake_parse_arguments(T "OWN_MAIN" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest)
  if(NOT T_OWN_MAIN)
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  target_compile_definitions(${name} PRIVATE
    TOLVAN_SOURCE_DIR="${CMAKE_SOURCE_DIR}" TOLVAN_BINARY_DIR="${CMAKE_BINARY_DIR}"
    TOLVAN_PYTHON="${TOLVAN_PYTHON}")
  tolvan_add_gtest_run(${name} ${name} TIMEOUT "${T_TIMEOUT}" LABELS ${T_LABELS})
  # Window test programs under Wine run with the poisoning allocator of tests/skinui/Harness.
  if(WIN32 AND "window" IN_LIST T_LABELS)
    target_link_libraries(${name} PRIVATE tolvan_window_harness)
  endif()
endfunction()

# tolvan_add_gtest_run(<test name> <gtest executable> [ARGS ...] [ENVIRONMENT var=value ...] [LABELS ...]
#                      [TIMEOUT s])
# One CTest entry running a GoogleTest executable (again, with other arguments or environment).
function(tolvan_add_gtest_run test executable)
  cmake_parse_arguments(T "" "TIMEOUT" "ARGS;ENVIRONMENT;LABELS" ${ARGN})
  add_test(NAME ${test} COMMAND ${executable} --gtest_color=no ${T_ARGS})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  # Judge by what the test printed, not only by its exit code: a test process that vanishes mid-run
  # (Wine has been seen to end one with code 0) never prints gtest's closing line. Sanitizer reports,
  # and the window harness's reports (a write after free found at exit, a fault), count as failures
  # even when they come after it.
  set(failure_reports "\\[  FAILED  \\]" "ERROR: [A-Za-z]+Sanitizer" "WARNING: ThreadSanitizer" "runtime error:"
      "poisoning allocator:" "window harness:")
  set_tests_properties(${test} PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS "${T_LABELS}"
    PASS_REGULAR_EXPRESSION "\\[==========\\] [0-9]+ tests? from [0-9]+ test suites? ran\\."
    FAIL_REGULAR_EXPRESSION "${failure_reports}")
  if(T_ENVIRONMENT)
    set_tests_properties(${test} PROPERTIES ENVIRONMENT "${T_ENVIRONMENT}")
  endif()
  if("window" IN_LIST T_LABELS)
    # Windows of two tests on one display would overlap: hit tests and focus need the display alone.
    set_property(TEST ${test} APPEND PROPERTY RESOURCE_LOCK x_display)
    # Without a display the runner ends it at once with the reason (scripts/wine-run.in).
    set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT TOLVAN_NEEDS_DISPLAY=1)
  endif()
endfunction()
