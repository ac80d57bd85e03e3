#!/usr/bin/env bash
# Drives a built gif-frames through its command-line contract: output lines, files and exit codes.
set -u
tool=$(realpath "${1:?usage: contract_test.sh PATH-TO-gif-frames}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# run NAME EXPECTED-STATUS EXPECTED-STDOUT ARGS...: stdout and stderr land in $work/NAME.{out,err}
run() {
  local name=$1 status=$2 expected=$3; shift 3
  "$tool" "$@" >"$work/$name.out" 2>"$work/$name.err"
  local got=$?
  [ "$got" -eq "$status" ] || fail "$name: exit $got, expected $status"
  [ "$(cat "$work/$name.out")" = "$expected" ] ||
    fail "$name: stdout was [$(cat "$work/$name.out")], expected [$expected]"
}

gif() { printf "$2" >"$work/$1"; }

# 2x1 screen with a two-colour global table (19 bytes), then blocks.
head='GIF89a\x02\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff'
image='\x2c\x01\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00'   # 1x1 at (1,0), 15 bytes
control='\x21\xf9\x04\x08\x0a\x00\x00\x00'                              # disposal 2, delay 10
plain='\x21\x01\x0c\x00\x00\x00\x00\x02\x00\x01\x00\x01\x01\x00\x01\x02hi\x00'
loop='\x21\xff\x0bNETSCAPE2.0\x03\x01\x00\x00\x00'

gif one.gif "$head$image\x3b"
gif two.gif "$head$loop$control$image$image\x3b"
gif plain.gif "$head$plain$control$image\x3b"
gif empty-walk.gif "$head\x3b"
gif odd-version.gif "GIF00x\x02\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff$image\x3b"
gif cut-table.gif 'GIF89a\x02\x00\x01\x00\x87\x00\x00\x00\x00\x00'
gif short.gif 'GIF89a\x02\x00\x01\x00\x80\x00'
gif not-gif.bin '\x89PNG\r\n\x1a\n\x00\x00\x00\x0dIHDR'
: >"$work/empty.bin"
mkdir "$work/folder"

run no-args 2 ''
run too-many 2 '' "$work/one.gif" "$work/a" "$work/b"
run missing 2 '' "$work/no-such-file.gif"
run folder 2 '' "$work/folder"
for name in missing folder no-args; do
  [ -s "$work/$name.err" ] || fail "$name: no message on stderr"
done
run empty 1 '' "$work/empty.bin"
run not-gif 1 '' "$work/not-gif.bin"
run short 1 '' "$work/short.gif"

run empty-walk 1 $'screen 2 1 colortable 6\nblocks 0\nframes 0' "$work/empty-walk.gif"
run cut-table 1 $'screen 2 1 colortable 768\nblocks 0\nframes 0' "$work/cut-table.gif"
run odd-version 0 $'screen 2 1 colortable 6\nblocks 1
frame 0 left 1 top 0 width 1 height 1 delay -1 disposal 0 bytes 35\nframes 1' "$work/odd-version.gif"
run two 0 $'screen 2 1 colortable 6\nblocks 2
frame 0 left 1 top 0 width 1 height 1 delay 10 disposal 2 bytes 43
frame 1 left 1 top 0 width 1 height 1 delay -1 disposal 0 bytes 35\nframes 2' "$work/two.gif"
run plain 0 $'screen 2 1 colortable 6\nblocks 2
frame 0 left 0 top 0 width 0 height 0 delay -1 disposal 0 bytes 39
frame 1 left 1 top 0 width 1 height 1 delay 10 disposal 2 bytes 43\nframes 2' "$work/plain.gif"
# --budget adds, for two or more frames, what they take decoded and the wizard's budget.
run two-budget 0 "$(cat "$work/two.out")"$'\ndecoded 2050 budget 33554432' --budget "$work/two.gif"
run one-budget 0 "$(cat "$work/odd-version.out")" --budget "$work/odd-version.gif"

# Without OUTDIR nothing is written, not even into the working folder.
mkdir "$work/cwd"
(cd "$work/cwd" && "$tool" "$work/two.gif" >/dev/null)
[ -z "$(ls -A "$work/cwd")" ] || fail "files written without OUTDIR: $(ls -A "$work/cwd")"

# With OUTDIR (made if missing) each frame is a GIF of its own, which cuts to itself again.
run one-out 0 $'screen 2 1 colortable 6\nblocks 1
frame 0 left 1 top 0 width 1 height 1 delay -1 disposal 0 bytes 35\nframes 1' "$work/one.gif" "$work/out1"
cmp -s "$work/out1/frame-0.gif" <(printf "$head$image\x3b") || fail "one-out: frame-0.gif differs"
run two-out 0 "$(cat "$work/two.out")" "$work/two.gif" "$work/out2"
[ "$(ls "$work/out2")" = $'frame-0.gif\nframe-1.gif' ] || fail "two-out: files $(ls "$work/out2")"
cmp -s "$work/out2/frame-0.gif" <(printf "$head$control$image\x3b") || fail "two-out: frame-0.gif differs"
run recut 0 $'screen 2 1 colortable 6\nblocks 1
frame 0 left 1 top 0 width 1 height 1 delay 10 disposal 2 bytes 43\nframes 1' "$work/out2/frame-0.gif" "$work/out3"
cmp -s "$work/out2/frame-0.gif" "$work/out3/frame-0.gif" || fail "recut: a cut frame does not cut to itself"

# A GIF without graphic blocks still lists, and writes nothing into OUTDIR.
run empty-walk-out 1 "$(cat "$work/empty-walk.out")" "$work/empty-walk.gif" "$work/out4"
[ -z "$(ls -A "$work/out4" 2>/dev/null)" ] || fail "empty-walk-out: wrote $(ls -A "$work/out4")"

if [ "$failures" -gt 0 ]; then echo "$failures failure(s)" >&2; exit 1; fi
echo "gif-frames contract: all passed"
