# Sourced by the benches that measure a released build beside the unreleased one.
# release_folder DATA_DIR OUT: the folder a customer gets (program and data/, the program pinned to
# DATA_DIR's files), made by scripts/release into OUT/Wi-FiSkylark, for the tree being measured.
release_folder() {
  local data=$1 out=$2 toolchain=mingw-i686.cmake
  [ "$SKYLARK_WINE_ARCH" = win64 ] && toolchain=mingw-x86_64.cmake
  rm -rf "$out"
  SKYLARK_RELEASE_TOOLCHAIN=$toolchain SKYLARK_RELEASE_BUILD_DIR="$root/build/release-bench-$SKYLARK_WINE_ARCH" \
    "$root/scripts/release" "$data" "$out" >"$out.log" 2>&1 ||
    { tail -n 20 "$out.log" >&2; echo "bench: the release of $data failed" >&2; return 1; }
}
