#!/usr/bin/env bash
# Measures the wizard's CPU time over 10 s on the Installing page, with the sample animation, under
# Wine. Wine does not report real CPU time through GetProcessTimes, so it is read from /proc, for the
# whole process and for each of its threads (the first is the window thread).
#   bench/installing-cpu.sh [--still] [BUILD_TREE]   (default build/win64, as scripts/test builds it;
#   build/win32, the shipped build, runs under Wine's 32-bit loader with its dist in build/dist)
# --still replaces the animation with its first frame alone, to show what the animation costs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
still=0
if [ "${1:-}" = "--still" ]; then still=1; shift; fi
tree=$(cd "${1:-$root/build/win64}" && pwd)
dist=$tree/dist
if [ "$tree" = "$root/build/win32" ]; then
  export SKYLARK_WINE_ARCH=win32
  dist=$root/build/dist
fi
. "$root/scripts/wine-env"
export WINEPREFIX=$tree/wine/bench WINEDEBUG=-all
out=$(mktemp -d)
trap 'rm -rf "$out"; "$SKYLARK_WINESERVER" -k 2>/dev/null || true' EXIT

if [ "$still" = 1 ]; then
  cp -r "$dist" "$out/dist"
  convert "$dist/data/zv_reset_animation.gif[0]" "$out/dist/data/zv_reset_animation.gif"
  dist=$out/dist
fi

measure() {
  "$root/scripts/wine-prefix" "$WINEPREFIX" 96
  "$SKYLARK_WINE" "$tree/tests/e2e/walkthrough.exe" "Z:${dist//\//\\}" "Z:${out//\//\\}" 25 >/dev/null &
  local walker=$!
  local pid=""
  for _ in $(seq 1 300); do   # until the Installing page's picture has been taken
    [ -f "$out/3-installing.bmp" ] && pid=$(pgrep -f '^[A-Z]:.*Wi-FiSkylark[.]exe' | head -n1) && [ -n "$pid" ] && break
    sleep 0.2
  done
  [ -n "$pid" ] || { echo "the wizard did not reach the Installing page" >&2; return 1; }
  ticks() { for task in /proc/$pid/task/*; do echo "${task##*/} $(awk '{print $14 + $15}' "$task/stat")"; done; }
  local hz before
  hz=$(getconf CLK_TCK)
  before=$(ticks)
  sleep 10
  join <(echo "$before" | sort) <(ticks | sort) | sort -n | awk -v hz="$hz" '
    { t = $3 - $2; total += t; line[NR] = sprintf("  thread %s: %.2f s", $1, t / hz) }
    END {
      printf "wizard CPU time over 10 s on the Installing page: %.2f s (%.2f%% of one core)\n", total / hz, 100 * total / hz / 10
      for (i = 1; i <= NR; i++) print line[i]
    }'
  wait "$walker" || true
}
xvfb-run -a -s "-screen 0 1024x768x24" bash -c "$(declare -f measure); root='$root' tree='$tree' out='$out' dist='$dist' SKYLARK_WINE='$SKYLARK_WINE' measure" 2>&1 |
  grep -v '^X connection to'
