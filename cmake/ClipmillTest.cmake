# clipmill_test(NAME SOURCES... LIBS ...) builds a GoogleTest program beside the
# code it tests and registers its cases with ctest.
function(clipmill_test name)
  if(NOT CLIPMILL_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
endfunction()
