#!/usr/bin/env bash
# Regenerates the sample art: data/main{96,125,150}DPI.jpg and res/app.ico.
# One design (background.mvg and wifi.mvg, in 96 DPI pixels) is drawn afresh at each
# size, so the larger pictures stay sharp instead of being upscaled copies.
# Usage: tools/art/make-art.sh   (needs ImageMagick's convert and python3); check-art.py
# then checks the results, and can be run on its own after a vendor swaps the art in.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
convert=${CONVERT:-/usr/bin/convert}

if ! "$convert" -version 2>/dev/null | grep -q ImageMagick; then
  echo "make-art: ImageMagick's convert is missing (apt-get install -y imagemagick)" >&2
  exit 1
fi

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# The symbol's own coordinates, moved and sized by the caller's transform.
symbol() {
  printf 'push graphic-context\ntranslate %s\nscale %s,%s\n' "$1" "$2" "$2"
  sed "s/@colour@/$3/" "$here/wifi.mvg"
  printf 'pop graphic-context\n'
}

# The window is 600x398 at 96 DPI and scales by 1.25 and 1.5 with the display class.
background() {
  local scale=$1 size=$2 out=$3
  {
    printf 'scale %s,%s\n' "$scale" "$scale"
    cat "$here/background.mvg"
    symbol 75,211 0.7 '#1565A8'
  } >"$tmp/background.mvg"
  # The drawing goes inline: ImageMagick's default security policy refuses -draw @file.
  # Quality 90 keeps full-resolution chroma, so the band's edge stays clean; -strip drops
  # the timestamps that would make every run's files differ.
  "$convert" -size "$size" xc:white -draw "$(cat "$tmp/background.mvg")" \
    -strip -quality 90 -interlace none "$out"
}

background 1 600x398 "$root/data/main96DPI.jpg"
background 1.25 750x498 "$root/data/main125DPI.jpg"
background 1.5 900x597 "$root/data/main150DPI.jpg"

# The icon: the symbol in white on a rounded tile of the band's colour. ImageMagick
# picks an icon's bit depth from its colour count, so the 8-bit entry is packed by hand.
{
  printf "stroke none\nfill '#135C9A'\nroundrectangle 0,0 31,31 5,5\n"
  symbol 16,23.5 0.19 white
} >"$tmp/icon.mvg"
"$convert" -size 32x32 xc:none -draw "$(cat "$tmp/icon.mvg")" \
  +dither -colors 255 -depth 8 "rgba:$tmp/icon.rgba"
python3 "$here/pack-ico.py" "$tmp/icon.rgba" "$root/res/app.ico"
python3 "$here/check-art.py" "$root"
