#!/usr/bin/env bash
# Regenerates data/zv_reset_animation.gif, the animation of the Installing page: eight dots on a
# ring, the darkest one stepping clockwise with a fading trail, looping forever.
# The frames are opaque on white (the page's content area is white) because the picture control
# has no background brush: a transparent frame would let the previous one show through.
# Usage: tools/make-spinner.sh [OUTPUT]   (needs ImageMagick's convert)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/data/zv_reset_animation.gif}
convert=${CONVERT:-convert}

size=60          # pixels; the dialog's 43x37-unit box is about 64x60 px at 96 DPI
dots=8
ring=20          # radius of the ring of dot centres
dot=5            # radius of a dot
delay=10         # hundredths of a second per frame

if ! "$convert" -version 2>/dev/null | grep -q ImageMagick; then
  echo "make-spinner: ImageMagick's convert is missing (apt-get install -y imagemagick)" >&2
  exit 1
fi

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# One line per dot of frame $1: grey level, centre and a point on the rim. Dot j is `age` steps
# behind the head, from #333333 down to #DDDDDD.
dot_lines() {
  awk -v frame="$1" -v dots="$dots" -v size="$size" -v ring="$ring" -v dot="$dot" 'BEGIN {
    pi = atan2(0, -1); c = size / 2
    for (j = 0; j < dots; j++) {
      age = (frame - j + dots) % dots
      level = int(51 + age * (221 - 51) / (dots - 1))   # 0x33 to 0xDD
      a = 2 * pi * j / dots
      x = c + ring * sin(a); y = c - ring * cos(a)
      printf "%02X %.2f,%.2f %.2f,%.2f\n", level, x, y, x + dot, y
    }
  }'
}

frames=()
for ((i = 0; i < dots; i++)); do
  args=()
  while read -r level centre rim; do
    args+=(-fill "#$level$level$level" -draw "circle $centre $rim")
  done < <(dot_lines "$i")
  "$convert" -size "${size}x${size}" xc:white "${args[@]}" "$tmp/frame-$i.png"
  frames+=("$tmp/frame-$i.png")
done

mkdir -p "$(dirname "$out")"
"$convert" -delay "$delay" -loop 0 -dispose None "${frames[@]}" "$out"
echo "make-spinner: wrote $out" >&2
