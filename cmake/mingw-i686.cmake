# Cross build for 32-bit Windows, as the host is a 32-bit program: the
# deliverable DLLs.
set(MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
