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

# Registers the cases of a Windows test program with ctest. The first program
# run may also create the Wine prefix, which takes a while.
function(wine_gtest target)
  gtest_discover_tests(${target} DISCOVERY_TIMEOUT 180 ${ARGN})
endfunction()
