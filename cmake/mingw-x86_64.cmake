# Cross build for 64-bit Windows with MinGW-w64: the test build. The program ships as a 32-bit build
# (mingw-i686.cmake); the same sources built for 64-bit run under wine64 on machines whose kernel
# cannot run Wine's 32-bit loader, so that every Windows test runs there too.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Runtimes linked in: the program needs nothing but Windows' own DLLs. No time stamp in the image,
# so that two builds of one commit are byte-identical.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp")

# Windows test programs run under Wine (scripts/wine-emulator picks the prefix).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-emulator)
