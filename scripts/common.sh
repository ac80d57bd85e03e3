# Sourced by scripts/run and scripts/test: where things are built, and how.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$root/build
jobs=2

# The shipped program is a 32-bit build. Wine's 32-bit loader is a 32-bit Linux program: where the
# kernel does not run those, scripts/wine32-loader sets up a user-mode emulator for it. If neither
# works, the same sources built for 64-bit stand in under wine64 (they are tested that way anyway).
. "$root/scripts/wine-env"
wine32_usable() {
  SKYLARK_WINE_ARCH=win32 "$root/scripts/wine-prefix" "$build/win32/wine/dpi96" 96 >/dev/null 2>&1
}

# quietly NAME COMMAND...: runs a step with its output in build/logs/NAME.log, shown if it fails.
quietly() {
  local name=$1
  shift
  mkdir -p "$build/logs"
  if ! "$@" >"$build/logs/$name.log" 2>&1; then
    tail -n 60 "$build/logs/$name.log" >&2
    echo "$name failed (whole log: build/logs/$name.log)" >&2
    return 1
  fi
}

# configure_windows DIR TOOLCHAIN [cmake args...]
configure_windows() {
  local dir=$1 toolchain=$2
  shift 2
  cmake -S "$root" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain" "$@"
}

# The shipped build: build/dist.
build_shipped() {
  # The shipped build's Windows and end-to-end tests run where the kernel runs Wine's 32-bit loader.
  # Under the emulator they are opt-in (SKYLARK_WINE32_TESTS=1): each Wine prefix takes minutes to
  # make there and every test runs slower. SKYLARK_WINE32_TESTS=0 leaves them out.
  local tests=OFF want=${SKYLARK_WINE32_TESTS:-}
  if [ "$want" = 1 ] || { [ -z "$want" ] && wine32_native; }; then
    wine32_usable && tests=ON
  fi
  quietly configure-win32 configure_windows "$build/win32" mingw-i686.cmake \
    -DSKYLARK_DIST_DIR="$build/dist" -DSKYLARK_WINDOWS_TESTS=$tests \
    -DSKYLARK_NATIVE_GIF_FRAMES="$build/native/tools/gif-frames/gif-frames"
  quietly build-win32 cmake --build "$build/win32" -j$jobs
}

# The 64-bit build of the same sources, with its Windows tests: build/win64 (dist in build/win64/dist).
build_win64() {
  quietly configure-win64 configure_windows "$build/win64" mingw-x86_64.cmake -DSKYLARK_DIST_DIR="$build/win64/dist" \
    -DSKYLARK_NATIVE_GIF_FRAMES="$build/native/tools/gif-frames/gif-frames"
  quietly build-win64 cmake --build "$build/win64" -j$jobs
}
