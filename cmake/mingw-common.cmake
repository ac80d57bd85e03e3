# Shared by the MinGW-w64 toolchain files; they set SKYLARK_MINGW_TRIPLET first. The posix threads
# variant of the compilers, for std::thread.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${SKYLARK_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SKYLARK_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${SKYLARK_MINGW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${SKYLARK_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Runtimes linked in: the program needs nothing but Windows' own DLLs. No time stamp in the image,
# so that two builds of one commit are byte-identical.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp")

# Windows test programs run under Wine (scripts/wine-emulator picks the prefix).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-emulator)
