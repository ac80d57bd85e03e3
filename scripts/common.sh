# Sourced by scripts/run and scripts/test: where things are built, and how.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$root/build
jobs=2

# The shipped program is a 32-bit build. Wine runs it only on a kernel that runs 32-bit programs
# natively; elsewhere (our build machines) the same sources built for 64-bit stand in under wine64.
kernel_runs_32bit() {
  local qemu=/proc/sys/fs/binfmt_misc/qemu-i386
  if [ -e "$qemu" ] && head -n1 "$qemu" | grep -qx enabled; then
    return 1   # an emulator answers for the kernel: too slow and too fragile to test with
  fi
  /usr/lib/wine/wine --version >/dev/null 2>&1
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
  local tests=OFF
  kernel_runs_32bit && tests=ON
  quietly configure-win32 configure_windows "$build/win32" mingw-i686.cmake \
    -DSKYLARK_DIST_DIR="$build/dist" -DSKYLARK_WINDOWS_TESTS=$tests
  quietly build-win32 cmake --build "$build/win32" -j$jobs
}

# The 64-bit build of the same sources, with its Windows tests: build/win64 (dist in build/win64/dist).
build_win64() {
  quietly configure-win64 configure_windows "$build/win64" mingw-x86_64.cmake -DSKYLARK_DIST_DIR="$build/win64/dist"
  quietly build-win64 cmake --build "$build/win64" -j$jobs
}
