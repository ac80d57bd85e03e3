# Windows test programs: googletest cross-built once for this tree, and skylark_windows_test() to
# build a gtest program that CTest runs under Wine through the toolchain's emulator.
include_guard(GLOBAL)

set(SKYLARK_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "googletest sources, built for the Windows tree")

if(NOT TARGET gtest)
  # googletest's own options, honoured as plain variables (it sets policy CMP0077).
  set(INSTALL_GTEST OFF)
  set(gtest_disable_pthreads ON)   # MinGW builds of gtest use Win32 threads
  set(_skylark_shared_libs "${BUILD_SHARED_LIBS}")
  set(BUILD_SHARED_LIBS OFF)
  add_subdirectory(${SKYLARK_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  set(BUILD_SHARED_LIBS "${_skylark_shared_libs}")
endif()

set(SKYLARK_WINE_DIR "${CMAKE_BINARY_DIR}/wine" CACHE PATH "Where the Windows tests' Wine prefixes live")
# Off where Wine cannot run this tree's programs (a 32-bit tree on a kernel without 32-bit support):
# the test programs are still built, so that they keep compiling, but not registered.
option(SKYLARK_WINDOWS_TESTS "Register the Windows test programs with CTest" ON)
# A 32-bit tree's programs need Wine's 32-bit loader and a 32-bit prefix.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(SKYLARK_WINE_ARCH win32)
else()
  set(SKYLARK_WINE_ARCH win64)
endif()

# skylark_windows_test(NAME n SOURCES ... [LIBS ...] [PREFIX name] [DPI n] [TIMEOUT s] [NO_TEST])
# Builds gtest program n and registers it with CTest (skylark_windows_run). NO_TEST builds the
# program without registering it.
function(skylark_windows_test)
  cmake_parse_arguments(PARSE_ARGV 0 ARG "NO_TEST" "NAME;PREFIX;DPI;TIMEOUT" "SOURCES;LIBS")
  if(NOT ARG_NAME OR NOT ARG_SOURCES)
    message(FATAL_ERROR "skylark_windows_test: NAME and SOURCES are required")
  endif()
  add_executable(${ARG_NAME} ${ARG_SOURCES})
  target_link_libraries(${ARG_NAME} PRIVATE ${ARG_LIBS} GTest::gtest_main)
  if(NOT ARG_NO_TEST)
    skylark_windows_run(NAME ${ARG_NAME} PROGRAM ${ARG_NAME} PREFIX "${ARG_PREFIX}" DPI "${ARG_DPI}"
                        TIMEOUT "${ARG_TIMEOUT}")
  endif()
endfunction()

# skylark_windows_run(NAME n PROGRAM p [PREFIX name] [DPI n] [SCREEN WxH] [TIMEOUT s]
#                     [ENVIRONMENT var=value ...])
# Registers a run of gtest program p as CTest test n, in the Wine prefix ${SKYLARK_WINE_DIR}/<PREFIX>
# (default dpi<DPI>) at the given DPI (default 96), with this tree's Wine (32- or 64-bit), on an
# Xvfb screen of the given size (default 1024x768) where there is no display. Runs that share a
# prefix take turns: they change its registry and start processes in it.
function(skylark_windows_run)
  cmake_parse_arguments(PARSE_ARGV 0 ARG "" "NAME;PROGRAM;PREFIX;DPI;SCREEN;TIMEOUT" "ENVIRONMENT")
  if(NOT SKYLARK_WINDOWS_TESTS)
    return()
  endif()
  if(NOT ARG_DPI)
    set(ARG_DPI 96)
  endif()
  if(NOT ARG_PREFIX)
    set(ARG_PREFIX "dpi${ARG_DPI}")
  endif()
  if(NOT ARG_TIMEOUT)
    # Wine is slow to start in a fresh prefix, more so where 32-bit code is emulated.
    set(ARG_TIMEOUT 3600)
  endif()
  if(NOT ARG_SCREEN)
    set(ARG_SCREEN 1024x768)
  endif()
  set(environment "SKYLARK_WINE_PREFIX=${SKYLARK_WINE_DIR}/${ARG_PREFIX}" "SKYLARK_WINE_DPI=${ARG_DPI}" "SKYLARK_GTEST_REPORT=1"
                  "SKYLARK_WINE_SCREEN=${ARG_SCREEN}" "SKYLARK_WINE_ARCH=${SKYLARK_WINE_ARCH}"
                  ${ARG_ENVIRONMENT})
  add_test(NAME ${ARG_NAME} COMMAND ${ARG_PROGRAM} --gtest_color=no)
  set_tests_properties(${ARG_NAME} PROPERTIES
    ENVIRONMENT "${environment}"
    RESOURCE_LOCK "wine-prefix-${ARG_PREFIX}"
    TIMEOUT ${ARG_TIMEOUT})
endfunction()
