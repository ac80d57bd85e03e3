#!/usr/bin/env bash
# Times the start of the wizard against two others in one warm Wine session: a bare message box (the
# floor) and a four-page wizard of the same shape made with NSIS (the reference). A fourth program
# shows the wizard's own dialog template with nothing set up, after loading the libraries the
# template needs: the floor that the design itself sets. Each start is timed
# from CreateProcess to the program's first visible top-level window; the three take turns, round
# after round, so that a machine that grows busier slows them alike and the ratios stay fair.
#   bench/startup.sh [--released] [ROUNDS]   (default 15; --released adds the wizard released,
#                                    scripts/release of build/dist/data, to the programs that take turns)
#   bench/startup.sh --timeline      one start of the wizard under Wine's +timestamp,+loaddll trace
#                                    (and a relay trace of a few calls): when each library loaded, the
#                                    dialog was created and initialised, the pictures were decoded,
#                                    and when the window came
# Measures the shipped 32-bit build (build/dist) where the kernel runs Wine's 32-bit loader, else the
# 64-bit build of the same sources. Needs Debian's nsis package (makensis); installs it as root.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/wine-env"
. "$root/bench/release-folder.sh"

timeline=0 released=0
if [ "${1:-}" = "--timeline" ]; then timeline=1; shift; fi
if [ "${1:-}" = "--released" ]; then released=1; shift; fi
rounds=${1:-15}
[[ $rounds =~ ^[1-9][0-9]*$ ]] || { echo "usage: bench/startup.sh [--released] [ROUNDS] | --timeline" >&2; exit 2; }

if ! command -v makensis >/dev/null; then
  if [ "$(id -u)" = 0 ]; then
    apt-get install -y -qq nsis >/dev/null
  else
    echo "startup: the NSIS wizard needs makensis: apt-get install nsis" >&2
    exit 1
  fi
fi

if wine32_native; then
  tree=$root/build/win32 dist=$root/build/dist nsis_target=x86-ansi
  export SKYLARK_WINE_ARCH=win32
else
  tree=$root/build/win64 dist=$root/build/win64/dist nsis_target=amd64-unicode
  export SKYLARK_WINE_ARCH=win64
  echo "startup: Wine's 32-bit loader does not run natively here: measuring the 64-bit build" >&2
fi
. "$root/scripts/wine-env"
[ -d "$tree" ] || { echo "startup: $tree is not built yet: run scripts/test (or scripts/run) first" >&2; exit 1; }
cmake -S "$root" -B "$tree" >/dev/null   # a tree configured before the bench existed learns of it
cmake --build "$tree" --target Wi-FiSkylark first-window bare-window template-window --parallel 2 >/dev/null

work=$(mktemp -d)
export WINEPREFIX=$tree/wine/bench-startup WINEDEBUG=-all SKYLARK_WINESERVER
trap '"$SKYLARK_WINESERVER" -k 2>/dev/null || true; rm -rf "$work"' EXIT
makensis -V1 -DTARGET="$nsis_target" -DLICENCE="$dist/data/License.txt" \
  -DPACKAGE="$dist/data/Skylark48.exe" -DOUTFILE="$work/nsis-wizard.exe" "$root/bench/startup/wizard.nsi"

win() { echo "Z:${1//\//\\}"; }
watcher=$(win "$tree/bench/startup/first-window.exe")
wizard=$(win "$dist/Wi-FiSkylark.exe")
programs=()
if [ "$released" = 1 ]; then
  release_folder "$dist/data" "$work/release"
  programs=("$(win "$work/release/Wi-FiSkylark/Wi-FiSkylark.exe")")
fi

if [ "$timeline" = 1 ]; then
  # The wizard's own process only, in ms from its start: the libraries as they load, the dialog's
  # creation and initialisation, the pictures it decodes, then the window. Relay tracing of those
  # few calls is asked for in the prefix; it slows the start a little.
  printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Debug]\r\n"RelayInclude"="%s"\r\n' \
    "user32.CreateDialogParamA;oleaut32.OleLoadPicture;oleaut32.OleLoadPictureEx" > "$work/relay.reg"
  xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    "$1/scripts/wine-prefix" "$WINEPREFIX" 96 && "$2" regedit /S "$6" &&
    "$2" "$3" 1 "$4" >/dev/null &&  # warms the prefix up
    WINEDEBUG=+timestamp,+pid,+loaddll,+relay "$2" "$3" --ticks 1 "$4" >/dev/null 2>"$5"' \
    timeline "$root" "$SKYLARK_WINE" "$watcher" "$wizard" "$work/trace.txt" "$(win "$work/relay.reg")" \
    2> >(grep -v '^X connection to' >&2)
  awk '
    /^pid [0-9a-f]+ started/ { pid = $2; start = $4; window = $7 }
    { lines[NR] = $0 }
    function at(text, i) { split(lines[i], f, ":"); printf "%7.1f ms  %s\n", (f[1] - start) * 1000, text }
    END {
      if (pid == "") { print "startup: the wizard showed no window" > "/dev/stderr"; exit 1 }
      for (i = 1; i <= NR; i++) {
        split(lines[i], f, ":")
        if (f[2] != pid) continue
        line = lines[i]
        if (line ~ /:trace:loaddll:/) {
          name = line; sub(/.*Loaded L"/, "", name); sub(/".*/, "", name); sub(/.*\\/, "", name)
          kind = line; sub(/.*: /, "", kind)
          at(name " (" kind ")", i)
        } else if (line ~ /:Call user32.CreateDialogParamA/) at("the dialog is being created", i)
        else if (line ~ /:Call dialog proc .*msg=WM_INITDIALOG/) at("OnInitDialog starts", i)
        else if (line ~ /:Ret  dialog proc .*msg=WM_INITDIALOG/) at("OnInitDialog returns", i)
        else if (line ~ /:Call oleaut32.OleLoadPicture/) { if (!pictures++) at("first picture decoded", i) }
        else if (line ~ /:Ret  oleaut32.OleLoadPicture/) last = i
      }
      if (last) at(pictures " pictures decoded", last)
      printf "%7.1f ms  first visible window\n", (window - start) * 1000
    }' "$work/trace.txt" | sort -s -n -k1,1
  exit 0
fi

# A warm-up round first (prefix, caches, the wineserver), then the rounds that count.
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  "$1/scripts/wine-prefix" "$WINEPREFIX" 96 && "$SKYLARK_WINESERVER" -p
  "$2" "$3" 1 "${@:5}" >/dev/null && "$2" "$3" "$4" "${@:5}"' \
  measure "$root" "$SKYLARK_WINE" "$watcher" "$rounds" \
  "$(win "$tree/bench/startup/bare-window.exe")" "$(win "$work/nsis-wizard.exe")" "$wizard" \
  "$(win "$tree/bench/startup/template-window.exe")" "${programs[@]}" \
  2> >(grep -v '^X connection to' >&2) | tr -d '\r' > "$work/times.txt"

uptime | sed 's/.*load average/machine load average/'
awk -v rounds="$rounds" '
  $2 == "none" { missing[$1]++; next }
  { n[$1]++; t[$1, n[$1]] = $2 }
  function median(p,   i, j, v, m) {
    m = n[p]
    for (i = 1; i <= m; i++) v[i] = t[p, i]
    for (i = 2; i <= m; i++) for (j = i; j > 1 && v[j - 1] > v[j]; j--) { x = v[j]; v[j] = v[j - 1]; v[j - 1] = x }
    lo[p] = v[1]; hi[p] = v[m]
    return m % 2 ? v[(m + 1) / 2] : (v[m / 2] + v[m / 2 + 1]) / 2
  }
  END {
    split("bare message box|NSIS wizard|our wizard|its template alone|our wizard released", name, "|")
    printf "first visible window after CreateProcess, %d interleaved starts each:\n", rounds
    for (p = 0; p < 5; p++) {
      if (p == 4 && !n[p]) break   # no released build asked for
      if (!n[p]) { printf "startup: %s never showed a window\n", name[p + 1] > "/dev/stderr"; exit 1 }
      med[p] = median(p)
      printf "  %-18s median %6.1f ms  (min %6.1f, max %6.1f)%s\n", name[p + 1], med[p], lo[p], hi[p],
             missing[p] ? sprintf(", %d starts without a window", missing[p]) : ""
    }
    printf "wizard / NSIS wizard:                  %.2f\n", med[2] / med[1]
    if (n[4]) printf "released wizard / wizard:              %.3f\n", med[4] / med[2]
    if (med[1] > med[0]) {
      printf "(wizard - bare) / (NSIS wizard - bare): %.2f\n", (med[2] - med[0]) / (med[1] - med[0])
      printf "(template - bare) / (NSIS wizard - bare): %.2f\n", (med[3] - med[0]) / (med[1] - med[0])
    }
  }' "$work/times.txt"
