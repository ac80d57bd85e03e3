#!/usr/bin/env bash
# Whether the wizard keeps an over-budget animation's pace on the Installing page, and what it costs:
# bench/pace/pace_probe.cpp watches one pixel of an 800x600 animation of 24 frames of 150 ms (46 MB at
# 32 bits a pixel) for SECONDS and times every frame on show, while this script reads the wizard's
# CPU time over the same seconds from /proc (Wine's own process times are not real), for the whole
# process and for each of its threads. Both builds side by side: the shipped 32-bit one where the
# kernel runs Wine's 32-bit loader, and the 64-bit build of the same sources.
#   bench/pace.sh [SECONDS]   (default 20)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-20}
[[ $seconds =~ ^[1-9][0-9]*$ ]] || { echo "usage: bench/pace.sh [SECONDS]" >&2; exit 2; }
. "$root/scripts/wine-env"

trees=(win64)
wine32_native && trees=(win32 win64)

# measure TREE DIST: one run; prints the probe's report and the CPU lines.
measure() {
  local tree=$1 dist=$2 out
  out=$(mktemp -d)
  "$root/scripts/wine-prefix" "$WINEPREFIX" 96 >/dev/null
  "$SKYLARK_WINE" "$tree/bench/pace/pace-probe.exe" "Z:${dist//\//\\}" "Z:${out//\//\\}" "$seconds" >/dev/null &
  local probe=$! pid=""
  for _ in $(seq 1 600); do
    [ -f "$out/sampling" ] && pid=$(pgrep -f '^[A-Z]:.*Wi-FiSkylark[.]exe' | head -n1) && [ -n "$pid" ] && break
    sleep 0.1
  done
  [ -n "$pid" ] || { echo "pace: the wizard did not reach the Installing page" >&2; wait "$probe"; return 1; }
  ticks() { for task in /proc/$pid/task/*; do echo "${task##*/} $(awk '{print $14 + $15}' "$task/stat")"; done; }
  local hz before
  hz=$(getconf CLK_TCK)
  before=$(ticks)
  until [ -f "$out/pace.txt" ]; do sleep 0.05; done
  tr -d '\r' < "$out/pace.txt"
  join <(echo "$before" | sort) <(ticks | sort) | sort -n | awk -v hz="$hz" -v s="$seconds" '
    { t = $3 - $2; total += t; if (t > 0) line[++n] = sprintf("  thread %s: %.2f s", $1, t / hz) }
    END {
      printf "wizard CPU time over the %d s: %.2f s (%.1f%% of one core)\n", s, total / hz, 100 * total / hz / s
      for (i = 1; i <= n; i++) print line[i]
    }'
  wait "$probe" || true
  rm -rf "$out"
}

for arch in "${trees[@]}"; do
  export SKYLARK_WINE_ARCH=$arch
  . "$root/scripts/wine-env"
  tree=$root/build/$arch
  dist=$root/build/dist
  [ "$arch" = win64 ] && dist=$tree/dist
  [ -d "$tree" ] || { echo "pace: $tree is not built yet: run scripts/test (or scripts/run) first" >&2; exit 1; }
  cmake -S "$root" -B "$tree" >/dev/null   # a tree configured before the bench existed learns of it
  cmake --build "$tree" --target Wi-FiSkylark pace-probe --parallel 2 >/dev/null
  export WINEPREFIX=$tree/wine/bench-pace WINEDEBUG=-all
  echo "== $arch ($([ "$arch" = win32 ] && echo "the shipped build" || echo "the 64-bit build of the same sources"))"
  xvfb-run -a -s "-screen 0 1024x768x24" bash -c \
    "$(declare -f measure); root='$root' seconds='$seconds' SKYLARK_WINE='$SKYLARK_WINE' measure '$tree' '$dist'" \
    2> >(grep -v '^X connection to' >&2)
  "$SKYLARK_WINESERVER" -k 2>/dev/null || true
done
