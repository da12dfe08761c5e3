# Windows tests: GoogleTest cross-built from the system's sources, and test
# discovery that runs the programs under Wine when ctest starts (so that a
# build needs no Wine).
set(GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources to cross-build")
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
# GoogleTest's own sources are not held to our warning flags.
get_directory_property(saved_compile_options COMPILE_OPTIONS)
set_directory_properties(PROPERTIES COMPILE_OPTIONS "")
add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
set_directory_properties(PROPERTIES COMPILE_OPTIONS "${saved_compile_options}")

include(GoogleTest)
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)

# Whether Wine can run this build's programs here: some kernels run no
# 32-bit programs, and a 64-bit build of the same sources is tested instead.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  execute_process(COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-run --runs-32-bit RESULT_VARIABLE wine_runs_32_bit)
  if(NOT wine_runs_32_bit EQUAL 0)
    message(STATUS "This machine runs no 32-bit programs: the Wine tests of this build are skipped")
  endif()
endif()

# Nothing the Wine tests start outlives them: one cleanup test, wine.stop,
# ends the tree's Xvfb and the Wine servers of its prefixes, with their
# programs, once the last test of every fixture named here is done, and fails
# when anything of the tree is still alive. Every Wine test requires one of
# these fixtures: "wine", or one of its own named with wine_fixture().
set_property(GLOBAL PROPERTY WINE_FIXTURES wine)
function(wine_fixture name)
  set_property(GLOBAL APPEND PROPERTY WINE_FIXTURES ${name})
endfunction()
# Called last, from the top directory, once every fixture is known.
function(add_wine_stop)
  get_property(fixtures GLOBAL PROPERTY WINE_FIXTURES)
  add_test(NAME wine.stop COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-run --stop ${CMAKE_BINARY_DIR})
  set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP "${fixtures}")
endfunction()

# Registers the cases of a Windows test program with ctest. The first program
# run may also create the Wine prefix, which takes a while. Where Wine cannot
# run the program, it is one test that reports itself skipped. FIXTURE names
# the fixture its cases require instead of "wine".
function(wine_gtest target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "FIXTURE" "")
  if(NOT arg_FIXTURE)
    set(arg_FIXTURE wine)
  endif()
  if(DEFINED wine_runs_32_bit AND NOT wine_runs_32_bit EQUAL 0)
    add_test(NAME ${target} COMMAND ${target})
    set_tests_properties(${target} PROPERTIES SKIP_RETURN_CODE 2 FIXTURES_REQUIRED ${arg_FIXTURE})
  else()
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 180 ${arg_UNPARSED_ARGUMENTS}
                         PROPERTIES FIXTURES_REQUIRED ${arg_FIXTURE})
  endif()
endfunction()
