# The same sources for 64-bit Windows: where the kernel cannot run 32-bit
# programs, the Wine tests run on this build instead.
set(MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
