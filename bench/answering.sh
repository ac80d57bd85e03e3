#!/usr/bin/env bash
# How promptly the wizard's window answers while it starts and loads its animation, and how much
# memory it takes, for the sample animation and for two large generated ones (bench/make-noise-gif.py):
# 300x300 with 100 frames (about 4 MB) and 600x400 with 300 frames (about 31 MB). For each, a probe
# (bench/startup/answer_probe.cpp) starts the wizard, finds its first visible window and sends it an
# empty message every 2 ms for 6 s: the longest wait for an answer. The peak resident memory is the
# wine process's VmHWM in /proc, read until the probe ends it.
#   bench/answering.sh [--released] [ROUNDS]   (default 3: the longest wait of each round, and the worst)
# --released measures, beside each, the same folder released (scripts/release: the program pinned to
# its files, which it checks), the two taking turns.
# Measures the shipped 32-bit build where the kernel runs Wine's 32-bit loader, else the 64-bit build
# of the same sources (build/win64), and says which.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/wine-env"
. "$root/bench/release-folder.sh"
released=0
if [ "${1:-}" = "--released" ]; then released=1; shift; fi
rounds=${1:-3}
[[ $rounds =~ ^[1-9][0-9]*$ ]] || { echo "usage: bench/answering.sh [--released] [ROUNDS]" >&2; exit 2; }

if wine32_native; then
  tree=$root/build/win32 dist=$root/build/dist
  export SKYLARK_WINE_ARCH=win32
else
  tree=$root/build/win64 dist=$root/build/win64/dist
  export SKYLARK_WINE_ARCH=win64
  echo "answering: Wine's 32-bit loader does not run natively here: measuring the 64-bit build" >&2
fi
. "$root/scripts/wine-env"
[ -d "$tree" ] || { echo "answering: $tree is not built yet: run scripts/test (or scripts/run) first" >&2; exit 1; }
cmake -S "$root" -B "$tree" >/dev/null   # a tree configured before the bench existed learns of it
cmake --build "$tree" --target Wi-FiSkylark answer-probe --parallel 2 >/dev/null

work=$(mktemp -d)
export WINEPREFIX=$tree/wine/bench-startup WINEDEBUG=-all SKYLARK_WINESERVER
trap '"$SKYLARK_WINESERVER" -k 2>/dev/null || true; rm -rf "$work"' EXIT

names=(sample 300x300x100 600x400x300)
for name in "${names[@]}"; do
  cp -r "$dist" "$work/$name"
done
"$root/bench/make-noise-gif.py" "$work/300x300x100/data/zv_reset_animation.gif" 300 300 100 8
"$root/bench/make-noise-gif.py" "$work/600x400x300/data/zv_reset_animation.gif" 600 400 300 7
if [ "$released" = 1 ]; then
  for name in "${names[@]}"; do
    release_folder "$work/$name/data" "$work/release-$name"
    mv "$work/release-$name/Wi-FiSkylark" "$work/$name-released"
  done
  names=(sample sample-released 300x300x100 300x300x100-released 600x400x300 600x400x300-released)
fi

win() { echo "Z:${1//\//\\}"; }
probe=$(win "$tree/bench/startup/answer-probe.exe")

# probe NAME: one start; prints the probe's line, then "peak KB".
measure() {
  local name=$1 peak=0 pid="" hwm
  "$SKYLARK_WINE" "$probe" 6 "$(win "$work/$name/Wi-FiSkylark.exe")" > "$work/probe.txt" &
  local runner=$!
  while kill -0 "$runner" 2>/dev/null; do
    [ -n "$pid" ] || pid=$(pgrep -f "^[A-Z]:[^ ]*\\\\$name\\\\Wi-FiSkylark[.]exe" | head -n1 || true)
    if [ -n "$pid" ] && hwm=$(awk '/^VmHWM:/ { print $2 }' "/proc/$pid/status" 2>/dev/null) && [ -n "$hwm" ]; then
      [ "$hwm" -gt "$peak" ] && peak=$hwm
    fi
    sleep 0.05
  done
  wait "$runner" || { echo "answering: the probe failed on $name" >&2; return 1; }
  tr -d '\r' < "$work/probe.txt"
  echo "peak $peak"
}

run_all() {
  "$root/scripts/wine-prefix" "$WINEPREFIX" 96 && "$SKYLARK_WINESERVER" -p
  "$SKYLARK_WINE" "$probe" 1 "$(win "$work/sample/Wi-FiSkylark.exe")" >/dev/null   # warms the prefix up
  for round in $(seq 1 "$rounds"); do
    for name in "${names[@]}"; do
      echo "$name $(measure "$name" | paste -sd ' ')"
    done
  done
}
# xvfb-run's shell passes on no exported functions: they go in the command itself.
export root work probe rounds SKYLARK_WINE SKYLARK_WINESERVER
xvfb-run -a -s "-screen 0 1024x768x24" bash -c "$(declare -f measure run_all win); names=(${names[*]}); run_all" \
  2> >(grep -v '^X connection to' >&2) \
  > "$work/results.txt"

echo "longest wait for an answer after the first window (6 s of WM_NULL every 2 ms), peak resident memory:"
awk '
  { name = $1; wait = $0; sub(/.*longest wait /, "", wait); sub(/ ms.*/, "", wait); peak = $NF
    if (!(name in worst) || wait + 0 > worst[name] + 0) worst[name] = wait
    if (peak + 0 > mem[name] + 0) mem[name] = peak
    runs[name] = runs[name] " " wait; if (!(name in order)) { order[name] = ++n; names[n] = name } }
  END { for (i = 1; i <= n; i++) { k = names[i]
          printf "  %-12s longest wait %7.1f ms (rounds:%s)  peak memory %4.0f MB\n", k, worst[k], runs[k], mem[k] / 1024 } }
' "$work/results.txt"
echo "each start (when the three longest waits came, in ms after the first window):"
sed 's/^/  /' "$work/results.txt"
