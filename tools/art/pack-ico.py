"""Packs a 32x32 RGBA dump into an icon file with one 8-bit palette entry.

Usage: pack-ico.py ICON.rgba OUT.ico

The entry is what LoadIcon reads: a BITMAPINFOHEADER whose height counts both
masks, a 256-colour palette, the colour rows and then the 1-bit AND mask, each
bottom-up with rows padded to four bytes. Pixels at least half transparent are
masked out and left black in the colour image, as Windows expects.
"""

import struct
import sys

SIZE = 32
COLOURS = 256


def main(src, dst):
    with open(src, "rb") as f:
        rgba = f.read()
    if len(rgba) != SIZE * SIZE * 4:
        sys.exit(f"pack-ico: {src} holds {len(rgba)} bytes, not a {SIZE}x{SIZE} RGBA dump")

    pixels = [rgba[i : i + 4] for i in range(0, len(rgba), 4)]
    opaque = [p[3] >= 128 for p in pixels]
    colours = [tuple(p[:3]) if o else (0, 0, 0) for p, o in zip(pixels, opaque)]
    palette = sorted(set(colours))
    if len(palette) > COLOURS:
        sys.exit(f"pack-ico: {len(palette)} colours do not fit a {COLOURS}-colour palette")
    index = {c: i for i, c in enumerate(palette)}
    palette += [(0, 0, 0)] * (COLOURS - len(palette))

    rows = range(SIZE - 1, -1, -1)
    xor = bytes(index[colours[y * SIZE + x]] for y in rows for x in range(SIZE))
    mask_stride = (SIZE + 31) // 32 * 4
    mask = bytearray()
    for y in rows:
        row = bytearray(mask_stride)
        for x in range(SIZE):
            if not opaque[y * SIZE + x]:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row

    quads = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, 8, 0,
                         len(xor) + len(mask), 0, 0, 0, 0)
    image = header + quads + xor + bytes(mask)
    icondir = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 8, len(image), 6 + 16)
    with open(dst, "wb") as f:
        f.write(icondir + entry + image)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
