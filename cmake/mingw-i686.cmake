# Cross build for 32-bit Windows with MinGW-w64: the shipped program.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(SKYLARK_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
