#!/usr/bin/env bash
# Measures the wizard's CPU time over 10 s on the Installing page, with the sample animation, under
# Wine. Wine does not report real CPU time through GetProcessTimes, so it is read from /proc.
#   bench/installing-cpu.sh [BUILD_TREE]   (default build/win64, as scripts/test builds it)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tree=${1:-$root/build/win64}
. "$root/scripts/wine-env"
export WINEPREFIX=$tree/wine/bench WINEDEBUG=-all
out=$(mktemp -d)
trap 'rm -rf "$out"; "$SKYLARK_WINESERVER" -k 2>/dev/null || true' EXIT

measure() {
  "$root/scripts/wine-prefix" "$WINEPREFIX" 96
  "$SKYLARK_WINE" "$tree/tests/e2e/walkthrough.exe" "Z:${tree//\//\\}\\dist" "Z:${out//\//\\}" 25 >/dev/null &
  local walker=$!
  local pid=""
  for _ in $(seq 1 300); do   # until the Installing page's picture has been taken
    [ -f "$out/3-installing.bmp" ] && pid=$(pgrep -f '^[A-Z]:.*Wi-FiSkylark[.]exe' | head -n1) && [ -n "$pid" ] && break
    sleep 0.2
  done
  [ -n "$pid" ] || { echo "the wizard did not reach the Installing page" >&2; return 1; }
  local hz ticks0 ticks1
  hz=$(getconf CLK_TCK)
  ticks0=$(awk '{print $14 + $15}' "/proc/$pid/stat")
  sleep 10
  ticks1=$(awk '{print $14 + $15}' "/proc/$pid/stat")
  awk -v t=$((ticks1 - ticks0)) -v hz="$hz" \
    'BEGIN { printf "wizard CPU time over 10 s on the Installing page: %.2f s (%.2f%% of one core)\n", t / hz, 100 * t / hz / 10 }'
  wait "$walker" || true
}
export -f measure 2>/dev/null || true
xvfb-run -a -s "-screen 0 1024x768x24" bash -c "$(declare -f measure); root='$root' tree='$tree' out='$out' SKYLARK_WINE='$SKYLARK_WINE' measure"
