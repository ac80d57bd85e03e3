# Cross build for 64-bit Windows with MinGW-w64: the test build. The program ships as a 32-bit build
# (mingw-i686.cmake); the same sources built for 64-bit run under wine64 on machines whose kernel
# cannot run Wine's 32-bit loader, so that every Windows test runs there too.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(SKYLARK_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
