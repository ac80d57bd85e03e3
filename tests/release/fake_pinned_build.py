#!/usr/bin/python3
"""Stands in for scripts/build-pinned in the release tool's tests: builds the smallest 32-bit
program with the pins as its RCDATA 200, as the real program holds them, beside the pins file, and
prints its path. With SKYLARK_TEST_PINS_CHANGED set, the program's pins are changed after the
build, as a tampered or mistaken build would leave them.

    fake_pinned_build.py PINS_FILE"""

import os
import subprocess
import sys

pins_file = os.path.abspath(sys.argv[1])
work = os.path.dirname(pins_file)
program = os.path.join(work, "Wi-FiSkylark.exe")
with open(os.path.join(work, "fake.rc"), "w") as rc:
    rc.write('200 RCDATA "%s"\n' % os.path.basename(pins_file))
with open(os.path.join(work, "fake.c"), "w") as c:
    c.write("int main(void) { return 0; }\n")
subprocess.run(["i686-w64-mingw32-windres", "fake.rc", "-O", "coff", "-o", "fake.res.o"], cwd=work, check=True)
# No time stamp in the image: two builds of the same pins are the same program.
subprocess.run(["i686-w64-mingw32-gcc", "-s", "-Wl,--no-insert-timestamp", "-o", program, "fake.c", "fake.res.o"],
               cwd=work, check=True)
if os.environ.get("SKYLARK_TEST_PINS_CHANGED"):
    with open(program, "rb") as f:
        image = bytearray(f.read())
    with open(pins_file, "rb") as f:
        at = image.find(f.read(64))
    image[at] = ord("0") if image[at] != ord("0") else ord("1")
    with open(program, "wb") as f:
        f.write(image)
print(program)
