"""Checks the art the wizard loads: each background JPEG has its display class's
pixel size, and the icon holds one 32x32 entry at 8 bits per pixel, stored as a
bitmap (not PNG) whose sizes and offsets agree with each other.

Usage: check-art.py ROOT   (the repository folder holding data/ and res/)
"""

import os
import struct
import sys

BACKGROUNDS = {"main96DPI.jpg": (600, 398), "main125DPI.jpg": (750, 498), "main150DPI.jpg": (900, 597)}
START_OF_FRAME = {0xC0, 0xC1, 0xC2}  # baseline, extended, progressive


def jpeg_size(data):
    if data[:2] != b"\xff\xd8":
        raise ValueError("not a JPEG")
    at = 2
    while 4 <= len(data) - at:
        marker, length = data[at + 1], struct.unpack(">H", data[at + 2 : at + 4])[0]
        if data[at] != 0xFF or length < 2:
            raise ValueError("broken marker segment")
        if marker in START_OF_FRAME:
            if 9 > len(data) - at:
                raise ValueError("frame header cut short")
            height, width = struct.unpack(">HH", data[at + 5 : at + 9])
            return width, height
        at += 2 + length
    raise ValueError("no frame header")


def icon_problems(data):
    if 22 > len(data):
        return ["shorter than its directory"]
    reserved, kind, count = struct.unpack("<HHH", data[:6])
    if (reserved, kind, count) != (0, 1, 1):
        return [f"directory (reserved, type, count) is {(reserved, kind, count)}, not (0, 1, 1)"]
    width, height, colours, _, planes, bits, size, offset = struct.unpack("<BBBBHHII", data[6:22])
    problems = []
    if (width, height, bits) != (32, 32, 8):
        problems.append(f"entry says {width}x{height} at {bits} bits")
    if offset > len(data) or size != len(data) - offset:
        return problems + [f"entry's {size} bytes at {offset} do not end the {len(data)}-byte file"]
    image = data[offset:]
    if image[:4] == b"\x89PNG":
        return problems + ["image is PNG-compressed"]
    if 40 > len(image):
        return problems + ["bitmap header cut short"]
    header, bwidth, bheight, bplanes, bbits, compression = struct.unpack("<IiiHHI", image[:20])
    used = struct.unpack("<I", image[32:36])[0]
    if (header, bwidth, bheight, bplanes, bbits, compression) != (40, 32, 64, 1, 8, 0):
        problems.append(f"bitmap header is {(header, bwidth, bheight, bplanes, bbits, compression)}")
    palette = 4 * (used or 256)
    expected = 40 + palette + 32 * 32 + 4 * 32
    if len(image) != expected:
        problems.append(f"bitmap holds {len(image)} bytes, {expected} expected")
    return problems


def main(root):
    failures = []
    for name, size in BACKGROUNDS.items():
        path = os.path.join(root, "data", name)
        try:
            with open(path, "rb") as f:
                got = jpeg_size(f.read())
        except (OSError, ValueError) as e:
            failures.append(f"{path}: {e}")
            continue
        if got != size:
            failures.append(f"{path}: {got[0]}x{got[1]}, not {size[0]}x{size[1]}")
    path = os.path.join(root, "res", "app.ico")
    try:
        with open(path, "rb") as f:
            failures += [f"{path}: {p}" for p in icon_problems(f.read())]
    except OSError as e:
        failures.append(f"{path}: {e}")
    for failure in failures:
        print(f"check-art: {failure}", file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1]))
