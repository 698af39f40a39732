# yuzulog_add_test(NAME SOURCES... LIBS... [LABEL label])
# One GoogleTest executable registered with CTest; test data lives in tests/data.
function(yuzulog_add_test name)
  cmake_parse_arguments(T "" "LABEL" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} yuzulog_testsupport GTest::gtest GTest::gtest_main)
  # Tests find the fixtures through tests/support/testdata.h; the few that still spell the path
  # out read it from here.
  target_compile_definitions(${name} PRIVATE YUZULOG_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data")
  yuzulog_warnings(${name})
  add_test(NAME ${name} COMMAND ${name})
  if(T_LABEL)
    set_tests_properties(${name} PROPERTIES LABELS ${T_LABEL})
  else()
    set_tests_properties(${name} PROPERTIES LABELS core)
  endif()
endfunction()
