#!/usr/bin/env bash
# Regenerates the animated GIF samples of the walker tests (gif-*.gif beside this script).
# Usage: tests/unit/data/make-gif-samples.sh   (needs ImageMagick's convert and python3)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
convert=${CONVERT:-convert}
cd "$here"

# Every disposal method ImageMagick writes (0 to 3), frames smaller than the screen at offsets,
# delays of 0 and above, a looping application extension.
"$convert" -loop 0 \
  -dispose Undefined -delay 7 -size 40x30 xc:red \
  -dispose None -delay 12 -page +5+3 -size 10x8 xc:blue \
  -dispose Background -delay 0 -page +20+10 -size 12x6 xc:green \
  -dispose Previous -delay 250 -page +1+1 -size 5x5 xc:yellow \
  gif-disposal.gif

# Frames whose palettes differ get local colour tables; the noise makes image data chains of
# many sub-blocks.
"$convert" -seed 7 -loop 0 -delay 5 \
  -size 48x40 gradient:red-blue gradient:green-yellow plasma:fractal \
  gif-local-tables.gif

"$convert" -seed 11 -delay 20 -interlace GIF \
  -size 33x21 gradient:white-black plasma:fractal \
  gif-interlaced.gif

# Frame differences only, as sub-rectangles at offsets with transparent pixels.
"$convert" -seed 3 -delay 9 -loop 0 -size 40x40 plasma:fractal \
  \( +clone -fill black -draw 'rectangle 5,5 14,14' \) \
  \( +clone -fill white -draw 'circle 25,25 30,25' \) \
  -layers Optimize gif-optimized.gif

# ImageMagick always writes a global colour table. Move it into every image that has none as a
# local one, and clear the global flag.
python3 - gif-local-tables.gif gif-no-global-table.gif <<'PY'
import sys

data = open(sys.argv[1], "rb").read()
packed = data[10]
assert packed & 0x80, "source has no global colour table"
table_end = 13 + (3 << ((packed & 7) + 1))
table = data[13:table_end]
out = bytearray(data[:10]) + bytes([packed & 0x7F]) + data[11:13]

def chain_end(p):
    while data[p]:
        p += data[p] + 1
    return p + 1

p = table_end
while data[p] != 0x3B:
    if data[p] == 0x2C:
        local = data[p + 9]
        if local & 0x80:
            end = chain_end(p + 11 + (3 << ((local & 7) + 1)))
            out += data[p:end]
        else:
            end = chain_end(p + 11)
            out += data[p:p + 9] + bytes([0x80 | (packed & 7)]) + table + data[p + 10:end]
    elif data[p] == 0x21:
        end = chain_end(p + 2)
        out += data[p:end]
    else:
        raise SystemExit("unexpected block 0x%02X at %d" % (data[p], p))
    p = end
out += b"\x3B"
open(sys.argv[2], "wb").write(out)
PY

ls -l gif-*.gif >&2
