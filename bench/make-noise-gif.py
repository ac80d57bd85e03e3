#!/usr/bin/python3
"""An animation as large as a vendor's might be: WIDTH x HEIGHT, FRAMES frames of random pixels in
COLOURS colours (fewer colours, a smaller file), 100 ms each, looping. The same seed always gives the
same file.
    bench/make-noise-gif.py OUT WIDTH HEIGHT FRAMES COLOURS"""
import random
import sys

from PIL import Image


def main(out, width, height, frames, colours):
    rnd = random.Random(24)
    palette = [rnd.randrange(256) for _ in range(3 * 256)]
    # Random bytes folded onto the first `colours` palette entries.
    fold = bytes(i % colours for i in range(256))
    images = []
    for _ in range(frames):
        image = Image.frombytes("P", (width, height), rnd.randbytes(width * height).translate(fold))
        image.putpalette(palette)
        images.append(image)
    images[0].save(out, save_all=True, append_images=images[1:], duration=100, loop=0, optimize=False, disposal=1)


if __name__ == "__main__":
    if len(sys.argv) != 6:
        sys.exit(__doc__)
    main(sys.argv[1], *map(int, sys.argv[2:]))
